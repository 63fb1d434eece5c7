// Read-only mapping of a file region by offset and length, over the platform's mapping services.
#pragma once

#include "common/String.h"
#include "common/Types.h"

#include <cstdint>

namespace Common {
namespace Os {

// The file and its mapping object; on POSIX the descriptor alone serves both.
struct FileMappingHandles {
    std::intptr_t file;
    std::intptr_t mapping;
};

// Opens the file for reading (others may read it too) and makes a read-only mapping of all of it.
// On failure nothing stays open and the platform's last-error value is the failing call's. An empty
// file, which the platform may refuse to map, opens without a mapping: it is only too small.
bool openFileMapping(const string &path, FileMappingHandles &handles);

// The file's size; false, with a size of 0 and the platform's last-error value set, when it cannot be
// read.
bool fileSize(const FileMappingHandles &handles, u64 &size);

// Maps [offset, offset + length); offset must be a multiple of 1 MiB. Null when refused.
const u8 *mapView(const FileMappingHandles &handles, u64 offset, u64 length);
void unmapView(const u8 *view, u64 length);

void closeFileMapping(const FileMappingHandles &handles);

} // namespace Os
} // namespace Common
