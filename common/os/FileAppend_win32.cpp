// Opens a disk file for appending, Windows side.
#include "common/os/FileAppend.h"

namespace Common {
namespace os {

std::FILE *openForAppend(const string &path) { return std::fopen(path.c_str(), "ab"); }

} // namespace os
} // namespace Common
