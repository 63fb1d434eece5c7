// The platform's last-error value (GetLastError on Windows, errno elsewhere).
#pragma once

#include "common/Types.h"

namespace Common {
namespace Os {

u32 lastError();
void setLastError(u32 value);

// Keeps the value across clean-up code that must not disturb what a failing call reported.
class LastErrorKeeper {
  public:
    LastErrorKeeper() : m_saved(lastError()) {}
    ~LastErrorKeeper() { setLastError(m_saved); }
    LastErrorKeeper(const LastErrorKeeper &) = delete;
    LastErrorKeeper &operator=(const LastErrorKeeper &) = delete;

  private:
    u32 m_saved;
};

} // namespace Os
} // namespace Common
