// Turns a path in Windows syntax into one that the host's file functions take.
#pragma once

#include <string>

namespace Common {
namespace Os {

// On Windows the path itself. Elsewhere backslashes become slashes and a leading drive "X:" becomes the
// folder X under the drive root, so the library keeps Windows syntax on every host.
std::string hostPath(const char *path);

// The folder that holds one folder per drive letter on a host without drives (the current folder
// until set). Windows has real drives and ignores it.
void setDriveRoot(const char *folder);

} // namespace Os
} // namespace Common
