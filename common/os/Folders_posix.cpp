// Entries of the file system on POSIX hosts, behaving as they do on Windows.
#include "common/os/Folders.h"

#include "common/os/HostPath.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Common {
namespace Os {

bool nameInUse(const char *path) {
    struct stat st;
    return lstat(hostPath(path).c_str(), &st) == 0;
}

bool isFolder(const char *path) {
    struct stat st;
    return stat(hostPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool makeFolder(const char *path) {
    // A drive's root stands for a drive, which cannot be made.
    std::string p(path);
    if (p.size() >= 2 && p[1] == ':' && p.find_first_not_of("\\/", 2) == std::string::npos) {
        errno = ENOENT;
        return false;
    }
    return mkdir(hostPath(path).c_str(), 0777) == 0;
}

bool removeFolder(const char *path) { return rmdir(hostPath(path).c_str()) == 0; }

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

bool sameEntry(const char *a, const char *b) {
    struct stat x, y;
    return stat(hostPath(a).c_str(), &x) == 0 && stat(hostPath(b).c_str(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
}

bool listFolder(const char *pattern, std::vector<FolderEntry> &entries) {
    std::string folder = hostPath(pattern);
    if (folder.size() < 2 || folder.compare(folder.size() - 2, 2, "/*") != 0)
        return false;
    folder.resize(folder.size() - 1);
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return false;
    while (dirent *entry = readdir(dir)) {
        // A link is listed as itself, as Windows lists a link rather than what it leads to.
        struct stat st;
        bool isDir = lstat((folder + entry->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({entry->d_name, isDir});
    }
    closedir(dir);
    return true;
}

} // namespace Os
} // namespace Common
