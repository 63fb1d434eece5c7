// Read-only file mapping, POSIX side: one descriptor and mmap.
#include "common/os/FileMapping.h"

#include "common/os/HostPath.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Common {
namespace Os {

bool openFileMapping(const string &path, FileMappingHandles &handles) {
    int fd = ::open(hostPath(path.c_str()).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    handles.file = fd;
    handles.mapping = fd;
    return true;
}

bool fileSize(const FileMappingHandles &handles, u64 &size) {
    struct stat st;
    size = 0;
    if (::fstat(static_cast<int>(handles.file), &st) != 0)
        return false;
    if (st.st_size > 0)
        size = static_cast<u64>(st.st_size);
    return true;
}

const u8 *mapView(const FileMappingHandles &handles, u64 offset, u64 length) {
    if (length == 0)
        return nullptr;
    void *view = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, static_cast<int>(handles.mapping),
                        static_cast<off_t>(offset));
    return view == MAP_FAILED ? nullptr : static_cast<const u8 *>(view);
}

void unmapView(const u8 *view, u64 length) { ::munmap(const_cast<u8 *>(view), length); }

void closeFileMapping(const FileMappingHandles &handles) { ::close(static_cast<int>(handles.file)); }

} // namespace Os
} // namespace Common
