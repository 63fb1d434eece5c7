// The platform's last-error value, Windows side.
#include "common/os/LastError.h"

#include <windows.h>

namespace Common {
namespace Os {

u32 lastError() { return GetLastError(); }
void setLastError(u32 value) { SetLastError(value); }

} // namespace Os
} // namespace Common
