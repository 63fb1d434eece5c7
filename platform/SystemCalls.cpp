// The real functions behind the system-call table.
#include <winsock2.h>

#include "platform/SystemCalls.h"

#include <cstdlib>

namespace {

int runCommand(const char *command) { return std::system(command); }

void exitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

int startSockets(WORD version, void *data) { return ::WSAStartup(version, static_cast<WSADATA *>(data)); }

SystemCalls realCalls() {
    return SystemCalls{
        ::DeviceIoControl, ::CreateFileA, ::GetDiskFreeSpaceExA, runCommand,
        ::MessageBoxA,     exitProcess,   ::GetProcAddress,      startSockets,
    };
}

} // namespace

SystemCalls sys = realCalls();

void RestoreSystemCalls() { sys = realCalls(); }
