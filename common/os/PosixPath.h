// Windows path syntax mapped onto a POSIX file system, used by the POSIX sides only.
#pragma once

#include "common/String.h"

#include <string>

namespace Common {
namespace os {

// Backslashes become slashes, and a leading drive "X:" becomes the folder X under the current
// folder, so Windows paths name the same files on both sides.
inline std::string posixPath(const string &path) {
    std::string p(path.c_str(), path.length());
    for (char &c : p)
        if (c == '\\')
            c = '/';
    if (p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')))
        p.erase(1, 1);
    return p;
}

} // namespace os
} // namespace Common
