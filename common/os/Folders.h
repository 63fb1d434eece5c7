// Entries of the file system by Windows-syntax path: tests, folders, deletion and listings.
#pragma once

namespace Common {
namespace Os {

// Something, file or folder, has this name.
bool nameInUse(const char *path);

// Deletes one file; a read-only file is refused, as Windows does.
bool removeFile(const char *path);

} // namespace Os
} // namespace Common
