// Opens arbitrary bytes as an ISO image and, when it opens, walks every path, extracts every file
// and copies the whole image out. The input lands at sector 16, where the descriptors begin, in a file just
// large enough to be taken for an image.
#include "common/IsoImage.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

const std::uint64_t InputOffset = 0x8000;
const std::uint64_t MinimumSize = 0x200000 + 0x10000;

std::string folderPath;

void removeScratchFolder() { Common::Filesystem::deleteTree(folderPath.c_str()); }

// Made once and removed when the fuzzer exits.
const std::string &scratchFolder() {
    if (folderPath.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvella-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0]))
            std::abort();
        folderPath = pattern;
        std::atexit(removeScratchFolder);
    }
    return folderPath;
}

// One image file for the whole run, written in full once; each input overwrites sector 16 on and
// zeroes what the previous input left beyond its own end. Reusing the file's cached pages keeps the
// run fast enough for millions of inputs.
void writeImage(const std::string &path, const std::uint8_t *data, size_t size) {
    static const std::string zeros(MinimumSize, '\0');
    static size_t previous = MinimumSize - InputOffset;
    static int fd = -1;
    if (fd < 0) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || pwrite(fd, zeros.data(), InputOffset, 0) != static_cast<ssize_t>(InputOffset))
            std::abort();
    }
    std::uint64_t end = InputOffset + size;
    if (end > MinimumSize && ftruncate(fd, static_cast<off_t>(end)) != 0)
        std::abort();
    if (pwrite(fd, data, size, static_cast<off_t>(InputOffset)) != static_cast<ssize_t>(size))
        std::abort();
    if (previous > size) {
        size_t stale = previous - size;
        if (pwrite(fd, zeros.data(), stale, static_cast<off_t>(end)) != static_cast<ssize_t>(stale))
            std::abort();
    }
    previous = size;
}

void walk(Common::IsoImage &image, const Common::string &folder, const std::string &out) {
    for (const Common::string &name : image.listFiles(folder)) {
        Common::string path = folder + name;
        Common::string data;
        image.isFile(path);
        image.readFile(path, data);
        image.extractFile(path, out.c_str());
        ::unlink(out.c_str());
    }
    for (const Common::string &name : image.listFolders(folder))
        walk(image, folder + name + "/", out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size) {
    const std::string &folder = scratchFolder();
    std::string path = folder + "/input.iso";
    writeImage(path, data, size);
    Common::IsoImage image(path.c_str());
    if (image.isOpen()) {
        image.getVolumeLabel();
        walk(image, "/", folder + "/extracted");
        // The copy command writes the whole tree, with the image's own names, below the folder.
        std::string tree = folder + "/tree";
        image.copy("/", (tree + "/").c_str());
        Common::Filesystem::deleteTree(tree.c_str());
    }
    return 0;
}
