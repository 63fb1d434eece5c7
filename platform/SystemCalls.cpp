// The real functions behind the system-call table.
#include "platform/SystemCalls.h"

#include <cstdlib>

namespace {

int runCommand(const char *command) { return std::system(command); }

void exitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

SystemCalls realCalls() {
    return SystemCalls{
        ::DeviceIoControl, ::CreateFileA,    ::GetDiskFreeSpaceExA, runCommand,           ::MessageBoxA,
        exitProcess,       ::GetProcAddress, ::CreateProcessA,      ::GetModuleFileNameA,
    };
}

} // namespace

SystemCalls sys = realCalls();

void RestoreSystemCalls() { sys = realCalls(); }
