// Writes bytes at chosen offsets of a file whose size is set without writing the rest (sparse
// where the platform allows it), so tests can present files of hundreds of MiB cheaply.
#pragma once

#include <cstdint>
#include <string>

// Creates the file when missing; keeps what it already holds.
void setFileSize(const std::string &path, std::uint64_t size);
void writeFileAt(const std::string &path, std::uint64_t offset, const std::string &bytes);
std::string readWholeFile(const std::string &path);
