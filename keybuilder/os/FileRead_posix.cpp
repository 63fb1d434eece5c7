// Reading a whole file into memory: the POSIX side.
#include "keybuilder/os/FileRead.h"

#include "common/os/FileStream.h"

#include <cstdio>

FileReadResult ReadWholeFile(const char *path, std::vector<char> &out) {
    out.clear();
    // Windows syntax, as on the other side; a folder is not opened as a file.
    std::FILE *file = Common::Os::openFile(path, "rb");
    if (!file)
        return FileReadResult::cannotOpen;
    FileReadResult result = FileReadResult::cannotRead;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0 && (size = std::ftell(file)) >= 0 && size <= 0xFFFFFFFFL &&
        std::fseek(file, 0, SEEK_SET) == 0) {
        out.resize(static_cast<size_t>(size));
        size_t done = size ? std::fread(out.data(), 1, out.size(), file) : 0;
        if (!std::ferror(file)) {
            out.resize(done);
            result = FileReadResult::ok;
        }
    }
    std::fclose(file);
    if (result != FileReadResult::ok)
        out.clear();
    return result;
}
