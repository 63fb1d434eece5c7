// Free functions on paths, files and folders, and the star patterns that select names in one folder.
#pragma once

#include "common/List.h"
#include "common/String.h"
#include "common/Types.h"

#include <cstdio>

namespace Common {
namespace Filesystem {

// The last component of a path that holds a star: the text before the first star, the texts between
// consecutive stars, the text after the last. A default pattern (all empty) stands for "no pattern".
struct WildcardPattern {
    string prefix;
    list<string> middle;
    string suffix;
};

// Paths are Windows syntax on every host. A path taken by value is the function's own copy, which it
// normalises first; a path taken by const reference is used as it is. Failures show only in the
// result: false, 0 or an empty list.

// Changes the caller's string: a backslash is appended unless it already ends with one.
string appendTrailingBackslash(string &path);

// One pass from the left in which a pair of backslashes becomes one (three become two, four two).
string collapseBackslashes(const string &path);

// Bytes from the stream's position to its end, the position left as it was; 0 for no stream.
u64 getRemainingStreamSize(std::FILE *stream);

// 0 for an empty file and for one that cannot be opened alike.
u64 getFileSize(const string &path);

// The empty path counts as a folder.
bool isDirectory(const string &path);

// The path can be opened for reading as a file; a folder is no file.
bool fileExists(const string &path);

// Makes the folder and every missing level above it, from the top down; stops at the first level
// that cannot be made, keeping those made before it. True when the folder exists afterwards.
bool createDirectoryTree(string path);

// Only an empty folder can be removed.
bool removeDirectory(string path);

// A read-only file is refused.
bool deleteFile(string path);

// Deletes a file, or a folder with everything in it that can be deleted. True when the file, or the
// top folder itself, is gone; the empty path names nothing and gives false without touching anything.
bool deleteTree(string path);

// Bare names in the platform's order, without "." and "..".
list<string> listSubdirectories(string folder);
list<string> listFiles(string folder);

// The name Windows stores for one path step: trailing dots and spaces are dropped, so "a.txt.",
// "a.txt " and "a.txt" name one file, and "..." names none (the empty string).
string storedName(const string &name);

// Only a star after the last backslash makes a pattern; otherwise out keeps its value.
bool parseWildcard(string path, WildcardPattern &out);

// Bytes compare exactly. The prefix, the suffix and the middle pieces are tested independently, so
// they may share characters of a short name.
bool matchesWildcard(const string &name, const WildcardPattern &pattern);

// The whole file, zero bytes included. False, with out unchanged, when the file cannot be opened, is
// too large to hold in memory, or no stream object can be had.
bool readFileToString(const string &path, string &out);

} // namespace Filesystem
} // namespace Common
