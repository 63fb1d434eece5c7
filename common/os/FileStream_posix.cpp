// Runtime file streams on POSIX hosts, behaving as they do on Windows.
#include "common/os/FileStream.h"

#include "common/os/HostPath.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/types.h>

namespace Common {
namespace Os {

std::FILE *openFile(const char *path, const char *mode) {
    std::string host = hostPath(path);
    struct stat st;
    bool writing = std::strpbrk(mode, "wa+") != nullptr;
    // Root may write anything here, while Windows refuses a read-only file to everyone.
    if (writing && stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) {
        errno = EACCES;
        return nullptr;
    }
    std::FILE *file = std::fopen(host.c_str(), mode);
    if (file && fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

std::int64_t tell64(std::FILE *file) { return ftello(file); }

bool seekToEnd64(std::FILE *file) { return fseeko(file, 0, SEEK_END) == 0; }

} // namespace Os
} // namespace Common
