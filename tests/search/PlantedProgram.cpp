// A program planted under the name of one the program starts (CMD.EXE, NOTEPAD.EXE, taskkill.exe,
// syslinux.exe): says that it ran, and with what, then ends.
#include "search/Planted.h"

#include <windows.h>

#include <string>

int main() {
    char marker[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(kPlantedMarkerVariable, marker, sizeof marker);
    if (length == 0 || length >= sizeof marker)
        return 0;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string line = std::string("ran ") + path + ": " + GetCommandLineA() + "\n";
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
