// Entries of the file system on Windows.
#include "common/os/Folders.h"

#include <cstdio>
#include <windows.h>

namespace Common {
namespace Os {

bool nameInUse(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool removeFile(const char *path) { return std::remove(path) == 0; }

} // namespace Os
} // namespace Common
