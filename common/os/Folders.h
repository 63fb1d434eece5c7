// Entries of the file system by Windows-syntax path: tests, folders, deletion and listings.
#pragma once

#include <string>
#include <vector>

namespace Common {
namespace Os {

// Something, file or folder, has this name.
bool nameInUse(const char *path);

// The platform's attributes of the path are valid and carry the folder bit.
bool isFolder(const char *path);

// Makes one folder below an existing one.
bool makeFolder(const char *path);

// Removes one empty folder.
bool removeFolder(const char *path);

// Deletes one file; a read-only file is refused, as Windows does.
bool removeFile(const char *path);

// Both paths name one and the same file or folder, however they are spelt.
bool sameEntry(const char *a, const char *b);

struct FolderEntry {
    std::string name;
    bool isFolder;
};

// The entries that a search pattern ending in a backslash and a star yields, "." and ".." included
// where the platform gives them, in the platform's order. False when the search cannot start.
bool listFolder(const char *pattern, std::vector<FolderEntry> &entries);

} // namespace Os
} // namespace Common
