// The user's folder for temporary files on POSIX hosts, in Windows syntax.
#include "common/os/TemporaryFolder.h"

#include <cstdlib>

namespace Common {
namespace Os {

std::string temporaryFolder() {
    const char *dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    // Backslashes map back to slashes when the name is used, so the library sees Windows syntax.
    for (char &c : folder)
        if (c == '/')
            c = '\\';
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

} // namespace Os
} // namespace Common
