// The table of system calls that tests can replace to present a device or inject a fault.
#pragma once

#include <windows.h>

// Each entry starts as the real function; a call site reads like the call itself,
// sys.DeviceIoControl(...). Add an entry only where a test needs to reach it.
struct SystemCalls {
    decltype(&::DeviceIoControl) DeviceIoControl;
    decltype(&::CreateFileA) CreateFileA;
    decltype(&::GetDiskFreeSpaceExA) GetDiskFreeSpaceExA;
    int (*system)(const char *command);
    decltype(&::MessageBoxA) MessageBoxA;
    void (*ExitProcess)(UINT exitCode);
    decltype(&::GetProcAddress) GetProcAddress;
    decltype(&::CreateProcessA) CreateProcessA;
    decltype(&::GetModuleFileNameA) GetModuleFileNameA;
    decltype(&::GetSystemDirectoryA) GetSystemDirectoryA;
    decltype(&::GetVolumePathNameA) GetVolumePathNameA;
    decltype(&::GetVolumeNameForVolumeMountPointA) GetVolumeNameForVolumeMountPointA;
    decltype(&::WideCharToMultiByte) WideCharToMultiByte;
    // data is a WSADATA; winsock2.h stays out of this header, since it must precede windows.h.
    int (*WSAStartup)(WORD version, void *data);
};

extern SystemCalls sys;

// Puts every entry back to the real function.
void RestoreSystemCalls();

// Replaces one entry for the lifetime of the object (tests only).
template <typename Fn> class ScopedSystemCall {
  public:
    ScopedSystemCall(Fn &entry, Fn replacement) : entry_(entry), saved_(entry) { entry_ = replacement; }
    ~ScopedSystemCall() { entry_ = saved_; }
    ScopedSystemCall(const ScopedSystemCall &) = delete;
    ScopedSystemCall &operator=(const ScopedSystemCall &) = delete;

  private:
    Fn &entry_;
    Fn saved_;
};
