// The folders a library loaded by a bare name may come from in these tests: this executable's own,
// where the build plants libraries under the names of the system's, and the system folder.
#pragma once

#include <windows.h>

#include <string>

inline std::string programFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

inline std::string systemFolder() {
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}
