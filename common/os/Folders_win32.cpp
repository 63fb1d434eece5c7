// Entries of the file system on Windows.
#include "common/os/Folders.h"

#include <cstdio>
#include <direct.h>
#include <windows.h>

namespace Common {
namespace Os {

bool nameInUse(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool isFolder(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool makeFolder(const char *path) { return _mkdir(path) == 0; }

bool removeFolder(const char *path) { return _rmdir(path) == 0; }

bool removeFile(const char *path) { return std::remove(path) == 0; }

namespace {

bool identify(const char *path, BY_HANDLE_FILE_INFORMATION &info) {
    // No access asked: this neither conflicts with other openers nor changes anything.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return ok != 0;
}

} // namespace

bool sameEntry(const char *a, const char *b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    return identify(a, x) && identify(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool listFolder(const char *pattern, std::vector<FolderEntry> &entries) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do
        entries.push_back({data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    while (FindNextFileA(search, &data));
    FindClose(search);
    return true;
}

} // namespace Os
} // namespace Common
