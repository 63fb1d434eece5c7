// Runtime file streams on Windows: the runtime's own calls.
#include "common/os/FileStream.h"

#include <cerrno>
#include <cstring>
#include <windows.h>

namespace Common {
namespace Os {

std::FILE *openFile(const char *path, const char *mode) {
    // Windows refuses to write a read-only file; Wine run by root writes it all the same.
    DWORD attributes = GetFileAttributesA(path);
    if (std::strpbrk(mode, "wa+") && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EACCES;
        return nullptr;
    }
    return std::fopen(path, mode);
}

std::int64_t tell64(std::FILE *file) { return _ftelli64(file); }

bool seekToEnd64(std::FILE *file) { return _fseeki64(file, 0, SEEK_END) == 0; }

} // namespace Os
} // namespace Common
