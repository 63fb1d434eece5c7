// The platform's last-error value, POSIX side: errno.
#include "common/os/LastError.h"

#include <cerrno>

namespace Common {
namespace Os {

u32 lastError() { return static_cast<u32>(errno); }
void setLastError(u32 value) { errno = static_cast<int>(value); }

} // namespace Os
} // namespace Common
