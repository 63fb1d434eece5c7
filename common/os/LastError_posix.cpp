// The platform's last-error value, POSIX side: errno.
#include "common/os/LastError.h"

#include <cerrno>

namespace Common {
namespace os {

u32 lastError() { return static_cast<u32>(errno); }
void setLastError(u32 value) { errno = static_cast<int>(value); }

} // namespace os
} // namespace Common
