// A library planted under the name of one the program loads (fmifs.dll, riched20.dll): says that it
// was loaded, as a real attacker's would run its code.
#include "search/Planted.h"

#include <windows.h>

#include <string>

namespace {

void appendToMarker(const std::string &line) {
    char marker[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(kPlantedMarkerVariable, marker, sizeof marker);
    if (length == 0 || length >= sizeof marker)
        return;
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(self, path, MAX_PATH);
        appendToMarker(std::string("loaded ") + path + "\n");
    }
    return TRUE;
}
