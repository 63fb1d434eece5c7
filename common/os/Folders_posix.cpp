// Entries of the file system on POSIX hosts, behaving as they do on Windows.
#include "common/os/Folders.h"

#include "common/os/HostPath.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace Common {
namespace Os {

bool nameInUse(const char *path) {
    struct stat st;
    return lstat(hostPath(path).c_str(), &st) == 0;
}

bool removeFile(const char *path) {
    std::string host = hostPath(path);
    struct stat st;
    if (lstat(host.c_str(), &st) != 0)
        return false;
    // Windows keeps read-only files and refuses folders here; unlink would do neither for root.
    if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))) {
        errno = EACCES;
        return false;
    }
    return unlink(host.c_str()) == 0;
}

} // namespace Os
} // namespace Common
