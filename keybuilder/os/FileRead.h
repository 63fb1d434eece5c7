// Reading a whole file into memory, with one side for Win32 and one for POSIX.
#pragma once

#include <vector>

enum class FileReadResult { ok, cannotOpen, cannotRead };

// The file's bytes in `out`. Files of 4 GiB or more are not read (cannotRead).
FileReadResult ReadWholeFile(const char *path, std::vector<char> &out);
