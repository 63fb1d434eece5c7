// Windows-syntax paths on a host without drives: drive letters become folders under one root.
#include "common/os/HostPath.h"

#include <cctype>

namespace Common {
namespace Os {

namespace {

std::string &driveRoot() {
    static std::string root = ".";
    return root;
}

} // namespace

std::string hostPath(const char *path) {
    std::string out;
    std::string in(path);
    std::string::size_type start = 0;
    if (in.size() >= 2 && in[1] == ':' && std::isalpha(static_cast<unsigned char>(in[0]))) {
        // Drive letters are case-blind on Windows, so c: and C: are one folder.
        out = driveRoot() + "/" + static_cast<char>(std::toupper(static_cast<unsigned char>(in[0])));
        start = 2;
        // "X:name" is relative to the drive's current folder, which is its root here.
        if (start < in.size() && in[start] != '\\' && in[start] != '/')
            out += '/';
    }
    for (std::string::size_type i = start; i < in.size(); ++i)
        out += in[i] == '\\' ? '/' : in[i];
    return out;
}

void setDriveRoot(const char *folder) { driveRoot() = folder; }

} // namespace Os
} // namespace Common
