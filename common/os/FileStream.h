// Runtime file streams opened by a Windows-syntax path, and 64-bit positions in them.
#pragma once

#include <cstdint>
#include <cstdio>

namespace Common {
namespace Os {

// fopen with Windows semantics on every host: a folder is never opened as a file, and a read-only file
// (no write permission) is not opened for writing.
std::FILE *openFile(const char *path, const char *mode);

// The stream's position as a 64-bit offset; -1 on failure.
std::int64_t tell64(std::FILE *file);

// Moves to the end of the stream; false on failure.
bool seekToEnd64(std::FILE *file);

} // namespace Os
} // namespace Common
