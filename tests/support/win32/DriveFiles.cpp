// Files that a test puts on a drive letter, removed again afterwards.
#include "support/win32/DriveFiles.h"

#include <windows.h>

#include <stdexcept>

DriveFiles::~DriveFiles() {
    for (auto it = m_files.rbegin(); it != m_files.rend(); ++it)
        DeleteFileA(it->c_str());
    for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
        RemoveDirectoryA(it->c_str());
}

std::string DriveFiles::path(const std::string &relative) const {
    return std::string(1, m_letter) + ":\\" + relative;
}

void DriveFiles::write(const std::string &relative, const std::string &contents) {
    for (size_t slash = relative.find('\\'); slash != std::string::npos;
         slash = relative.find('\\', slash + 1)) {
        std::string folder = path(relative.substr(0, slash));
        if (CreateDirectoryA(folder.c_str(), nullptr))
            m_folders.push_back(folder);
    }
    std::string file = path(relative);
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE &&
              WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
              written == contents.size();
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    if (!ok)
        throw std::runtime_error("cannot write " + file);
    m_files.push_back(file);
}
