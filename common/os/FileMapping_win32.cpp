// Read-only file mapping, Windows side.
#include "common/os/FileMapping.h"

#include <windows.h>

namespace Common {
namespace Os {

namespace {
HANDLE fileOf(const FileMappingHandles &h) { return reinterpret_cast<HANDLE>(h.file); }
HANDLE mappingOf(const FileMappingHandles &h) { return reinterpret_cast<HANDLE>(h.mapping); }
} // namespace

bool openFileMapping(const string &path, FileMappingHandles &handles) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    LARGE_INTEGER size;
    // An empty file cannot be mapped at all; it is simply too small, which the caller decides from
    // its size, so it is no failure here.
    if (!mapping && !(GetFileSizeEx(file, &size) && size.QuadPart == 0)) {
        DWORD error = GetLastError();
        CloseHandle(file);
        SetLastError(error);
        return false;
    }
    handles.file = reinterpret_cast<std::intptr_t>(file);
    handles.mapping = reinterpret_cast<std::intptr_t>(mapping);
    return true;
}

bool fileSize(const FileMappingHandles &handles, u64 &size) {
    LARGE_INTEGER value;
    size = 0;
    if (!GetFileSizeEx(fileOf(handles), &value))
        return false;
    if (value.QuadPart > 0)
        size = static_cast<u64>(value.QuadPart);
    return true;
}

const u8 *mapView(const FileMappingHandles &handles, u64 offset, u64 length) {
    return static_cast<const u8 *>(
        MapViewOfFile(mappingOf(handles), FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                      static_cast<DWORD>(offset & 0xFFFFFFFFu), static_cast<SIZE_T>(length)));
}

void unmapView(const u8 *view, u64) { UnmapViewOfFile(view); }

void closeFileMapping(const FileMappingHandles &handles) {
    if (mappingOf(handles))
        CloseHandle(mappingOf(handles));
    CloseHandle(fileOf(handles));
}

} // namespace Os
} // namespace Common
