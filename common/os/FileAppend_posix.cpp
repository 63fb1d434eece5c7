// Opens a disk file for appending, POSIX side: the Windows path is mapped first.
#include "common/os/FileAppend.h"

#include "common/os/PosixPath.h"

namespace Common {
namespace os {

std::FILE *openForAppend(const string &path) { return std::fopen(posixPath(path).c_str(), "ab"); }

} // namespace os
} // namespace Common
