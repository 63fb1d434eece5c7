// The device guard.
#include "support/win32/DeviceGuard.h"

#include "platform/SystemCalls.h"

#include <cstring>

namespace {

decltype(sys.CreateFileA) saved = nullptr;

HANDLE WINAPI refuseDevices(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (path && (std::strncmp(path, "\\\\.\\", 4) == 0 || std::strncmp(path, "\\\\?\\", 4) == 0)) {
        ADD_FAILURE() << "a test reached the device " << path << " of this machine";
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
}

} // namespace

void DeviceGuard::SetUp() {
    saved = sys.CreateFileA;
    sys.CreateFileA = refuseDevices;
}

void DeviceGuard::TearDown() { sys.CreateFileA = saved; }
