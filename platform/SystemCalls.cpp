// The real functions behind the system-call table.
#include <winsock2.h>

#include "platform/SystemCalls.h"

#include <cstdlib>

namespace {

int runCommand(const char *command) { return std::system(command); }

void exitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

int startSockets(WORD version, void *data) { return ::WSAStartup(version, static_cast<WSADATA *>(data)); }

SystemCalls realCalls() {
    // One entry a line, in the order of the struct.
    SystemCalls calls{};
    calls.DeviceIoControl = ::DeviceIoControl;
    calls.CreateFileA = ::CreateFileA;
    calls.GetDiskFreeSpaceExA = ::GetDiskFreeSpaceExA;
    calls.system = runCommand;
    calls.MessageBoxA = ::MessageBoxA;
    calls.ExitProcess = exitProcess;
    calls.GetProcAddress = ::GetProcAddress;
    calls.CreateProcessA = ::CreateProcessA;
    calls.GetModuleFileNameA = ::GetModuleFileNameA;
    calls.GetSystemDirectoryA = ::GetSystemDirectoryA;
    calls.GetVolumePathNameA = ::GetVolumePathNameA;
    calls.GetVolumeNameForVolumeMountPointA = ::GetVolumeNameForVolumeMountPointA;
    calls.WideCharToMultiByte = ::WideCharToMultiByte;
    calls.WSAStartup = startSockets;
    return calls;
}

} // namespace

SystemCalls sys = realCalls();

void RestoreSystemCalls() { sys = realCalls(); }
