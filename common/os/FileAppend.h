// Opens a disk file, named in Windows syntax, for appending bytes unchanged.
#pragma once

#include "common/String.h"

#include <cstdio>

namespace Common {
namespace os {

// The runtime's "ab" mode: a missing file is created, an existing one keeps its content. Null when
// the file cannot be opened.
std::FILE *openForAppend(const string &path);

} // namespace os
} // namespace Common
