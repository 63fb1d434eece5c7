// Opens arbitrary bytes as an ISO image and, when it opens, walks every path, extracts every file
// and copies the whole image out, checking after each copy-out that nothing was written outside it.
// The input lands at sector 16, where the descriptors begin, in a file just large enough to be
// taken for an image.
#include "common/IsoImage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::uint64_t InputOffset = 0x8000;
const std::uint64_t MinimumSize = 0x200000 + 0x10000;

// Where a run may write: a folder of its own, and below it, three levels down, the folder that holds
// the image and receives its files. A name in an image that climbs out of that folder lands where
// the check after each copy finds it.
const char *const NestFolders[] = {"/up3", "/up2", "/up1"};
// Siblings of the run's folder that may come and go: the folders of parallel runs, libFuzzer's own.
const char *const SiblingPrefixes[] = {"orvella-fuzz-", "libFuzzerTemp."};

std::string rootPath;
std::string workPath;
std::set<std::string> siblingsAtStart;

void removeScratchFolder() { Common::Filesystem::deleteTree(rootPath.c_str()); }

std::string parentOf(const std::string &path) { return path.substr(0, path.rfind('/')); }

std::set<std::string> namesIn(const std::string &folder) {
    std::set<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (const dirent *entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.insert(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

[[noreturn]] void createdOutside(const std::string &path) {
    std::fprintf(stderr, "created outside the copy's folder: %s\n", path.c_str());
    std::abort();
}

// Made once and removed when the fuzzer exits; answers the folder the image and its copies go in.
const std::string &scratchFolder() {
    if (workPath.empty()) {
        const char *tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvella-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0]))
            std::abort();
        rootPath = pattern;
        std::atexit(removeScratchFolder);
        workPath = rootPath;
        for (const char *nest : NestFolders) {
            workPath += nest;
            if (::mkdir(workPath.c_str(), 0700) != 0)
                std::abort();
        }
        // Only a private TMPDIR, as the run script sets, is known to change through this run alone.
        if (tmp && *tmp)
            siblingsAtStart = namesIn(parentOf(rootPath));
    }
    return workPath;
}

// After a copy and its removal, the run's folder holds the nest and the image and nothing else;
// beside it, only what was there before or what parallel runs make.
void checkNothingOutside() {
    std::string folder = rootPath;
    for (const char *nest : NestFolders) {
        std::string next = folder + nest;
        for (const std::string &name : namesIn(folder))
            if (folder + "/" + name != next)
                createdOutside(folder + "/" + name);
        folder = next;
    }
    for (const std::string &name : namesIn(folder))
        if (name != "input.iso")
            createdOutside(folder + "/" + name);
    if (siblingsAtStart.empty())
        return;
    for (const std::string &name : namesIn(parentOf(rootPath))) {
        bool allowed = siblingsAtStart.count(name) != 0;
        for (const char *prefix : SiblingPrefixes)
            allowed = allowed || name.rfind(prefix, 0) == 0;
        if (!allowed)
            createdOutside(parentOf(rootPath) + "/" + name);
    }
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
        checkNothingOutside();
        // The copy command writes the whole tree, with the image's own names, below the folder.
        std::string tree = folder + "/tree";
        image.copy("/", (tree + "/").c_str());
        Common::Filesystem::deleteTree(tree.c_str());
        checkNothingOutside();
    }
    return 0;
}
