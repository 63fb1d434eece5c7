// An ISO-9660 image: path index, whole-file reads, chunked extraction to disk and the copy command.
#include "common/IsoImage.h"

#include "common/os/FileStream.h"
#include "common/os/LastError.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace Common {

namespace {

// Every pair of forward slashes becomes one, in one left-to-right pass: a run of n becomes
// ceil(n / 2), as with backslashes on disk.
string collapseSlashes(const string &path) {
    const char sep = '/';
    string out;
    u64 start = 0;
    for (u64 i = 0; i < path.length(); ++i) {
        if (path[i] == sep && i + 1 < path.length() && path[i + 1] == sep) {
            out += path.substr(start, i + 1 - start);
            ++i;
            start = i + 1;
        }
    }
    out += path.substr(start);
    return out;
}

string slashesForward(string path) {
    string out(path.c_str(), path.length());
    for (u64 i = 0; i < out.length(); ++i)
        if (out[i] == '\\')
            out[i] = '/';
    return out;
}

bool writeAll(std::FILE *file, const string &bytes) {
    return bytes.empty() || std::fwrite(bytes.c_str(), 1, bytes.length(), file) == bytes.length();
}

u64 windowStartOf(u64 pos) { return pos & ~(MemoryFile::WindowAlignment - 1); }

} // namespace

IsoImage::IsoImage(const string &path)
    : verbose(0), opened(0), path(path), reader(new IsoReader()), nextChunkPos(0), bytesDone(0), fileSize(0),
      chunkFailed(false) {
    opened = reader->open(path);
    // The selection page reads the open's last-error value after the constructor.
    Os::LastErrorKeeper keep;
    indexPaths(string(), reader->root);
}

IsoImage::IsoImage(const IsoImage &other)
    : verbose(other.verbose), opened(other.opened), path(other.path), reader(other.reader),
      index(other.index), nextChunkPos(0), bytesDone(0), fileSize(0), chunkFailed(false) {}

IsoImage::~IsoImage() {}

IsoImage &IsoImage::operator=(const IsoImage &other) {
    if (this != &other)
        copyFrom(other);
    return *this;
}

void IsoImage::copyFrom(const IsoImage &other) {
    reader = other.reader;
    verbose = other.verbose;
    opened = other.opened;
    path = other.path;
    index = other.index;
}

string IsoImage::normaliseImagePath(string path) {
    string p = collapseSlashes(slashesForward(path));
    if (!p.empty() && p[0] == '/')
        p = p.substr(1);
    return p;
}

string IsoImage::normaliseDestinationPath(string path) { return Filesystem::collapseBackslashes(path); }

void IsoImage::indexPaths(const string &prefix, const IsoTreeNode &node) {
    bool folder = node.record.isDirectory();
    string key = prefix + reader->nodeName(node) + ((node.parent && folder) ? "/" : "");
    // Of two paths equal but for case, the later one in the walk wins.
    if (!key.empty())
        index[istring(key)] = &node;
    if (folder)
        for (const IsoTreeNode &child : node.children)
            indexPaths(key, child);
}

const IsoTreeNode *IsoImage::findNode(string path) {
    string p = normaliseImagePath(path);
    if (p.empty())
        return &reader->root;
    Index::iterator found = index.find(istring(p));
    if (found != index.end())
        return found->second;
    found = index.find(istring(p + "/"));
    return found != index.end() ? found->second : nullptr;
}

bool IsoImage::dataRange(const IsoTreeNode &node, u64 &pos, u64 &length) const {
    pos = node.record.extent * IsoReader::SectorSize;
    length = node.record.dataLength;
    return pos <= reader->imageSize && length <= reader->imageSize - pos;
}

bool IsoImage::isFile(const string &path) {
    const IsoTreeNode *node = findNode(path);
    return node && !node->record.isDirectory();
}

list<string> IsoImage::listFolders(string path) {
    list<string> names;
    const IsoTreeNode *node = findNode(path);
    if (node && node->record.isDirectory())
        for (const IsoTreeNode &child : node->children)
            if (child.record.isDirectory())
                names.push_back(reader->nodeName(child));
    return names;
}

list<string> IsoImage::listFiles(string path) {
    list<string> names;
    const IsoTreeNode *node = findNode(path);
    if (node && node->record.isDirectory())
        for (const IsoTreeNode &child : node->children)
            if (!child.record.isDirectory())
                names.push_back(reader->nodeName(child));
    return names;
}

bool IsoImage::readFile(const string &path, string &out) {
    // An image that did not open holds nothing to read, not even its root: the reader may keep
    // the refused image's root record.
    if (!opened)
        return false;
    const IsoTreeNode *node = findNode(path);
    u64 pos, length;
    if (!node || !dataRange(*node, pos, length))
        return false;
    // An entry that does not fit in one window is read window by window.
    string data;
    u64 done = 0;
    do {
        u64 at = pos + done;
        u64 piece = windowStartOf(at) + ChunkSize - at;
        if (piece > length - done)
            piece = length - done;
        string part;
        if (!reader->readData(part, at, piece) || part.length() != piece)
            return false;
        if (done == 0 && piece == length) {
            out = part;
            return true;
        }
        data += part;
        done += piece;
    } while (done < length);
    out = data;
    return true;
}

bool IsoImage::readFirstChunk(const string &path, string &chunk, bool &more) {
    return readFirstChunkOf(opened ? findNode(path) : nullptr, chunk, more);
}

bool IsoImage::readFirstChunkOf(const IsoTreeNode *node, string &chunk, bool &more) {
    chunkFailed = false;
    u64 pos, length;
    if (!node || !dataRange(*node, pos, length)) {
        fileSize = 0;
        return false;
    }
    u64 windowStart = windowStartOf(pos);
    u64 n = windowStart + ChunkSize - pos;
    if (n > length)
        n = length;
    if (!reader->readData(chunk, pos, n)) {
        fileSize = 0;
        return false;
    }
    fileSize = length;
    more = n < length;
    if (more) {
        bytesDone = n;
        nextChunkPos = windowStart + ChunkSize;
    }
    return true;
}

bool IsoImage::readNextChunk(string &chunk) {
    u64 remaining = fileSize - bytesDone;
    if (remaining > ChunkSize) {
        if (!reader->readData(chunk, nextChunkPos, ChunkSize)) {
            chunkFailed = true;
            return false;
        }
        bytesDone += ChunkSize;
        nextChunkPos += ChunkSize;
        return true;
    }
    if (!reader->readData(chunk, nextChunkPos, remaining))
        chunkFailed = true;
    return false;
}

Filesystem::CopyResult IsoImage::extractFile(string imagePath, string destination) {
    imagePath = normaliseImagePath(imagePath);
    return extractNode(opened ? findNode(imagePath) : nullptr, imagePath,
                       normaliseDestinationPath(destination));
}

Filesystem::CopyResult IsoImage::extractNode(const IsoTreeNode *node, const string &imagePath,
                                             const string &destination) {
    string chunk;
    bool more = false;
    if (!readFirstChunkOf(node, chunk, more))
        return Filesystem::CopySourceUnreadable;
    std::FILE *file = Os::openFile(destination.c_str(), "ab");
    if (!file)
        return Filesystem::CopyDestinationUnwritable;
    // A failed write (a full key) must stop the copy, not pass for success.
    bool written = writeAll(file, chunk);
    while (written && more) {
        chunk.clear();
        more = readNextChunk(chunk);
        if (chunkFailed)
            break;
        written = writeAll(file, chunk);
    }
    // Flushed apart from the close: not every runtime reports a failed flush from fclose.
    bool flushed = std::fflush(file) == 0;
    bool closed = std::fclose(file) == 0;
    if (verbose)
        std::printf("File:\t%s\n", imagePath.c_str());
    if (chunkFailed)
        return Filesystem::CopySourceUnreadable;
    return written && flushed && closed ? Filesystem::CopySucceeded : Filesystem::CopyDestinationUnwritable;
}

string IsoImage::getVolumeLabel() const {
    const IsoVolumeDescriptor *d = reader->getChosenDescriptor();
    if (!d)
        return string();
    // A Joliet identifier is UCS-2, narrowed the way names are.
    char label[sizeof d->volumeId];
    u64 n = 0;
    if (d->isJoliet()) {
        for (u64 i = 1; i < sizeof d->volumeId; i += 2)
            label[n++] = static_cast<char>(d->volumeId[i]);
    } else {
        for (u64 i = 0; i < sizeof d->volumeId; ++i)
            label[n++] = static_cast<char>(d->volumeId[i]);
    }
    while (n > 0 && (label[n - 1] == ' ' || label[n - 1] == '\0'))
        --n;
    return string(label, n);
}

// The copy command.

Filesystem::CopyResult IsoImage::copy(string source, string destination) {
    const IsoTreeNode *node = findNode(source);
    Filesystem::WildcardPattern pattern;
    bool sourceIsPattern = Filesystem::parseWildcard(source, pattern);
    bool toFolder = Filesystem::isDirectory(destination);
    bool toFile = !toFolder && Filesystem::fileExists(destination);
    Filesystem::WildcardPattern unused;
    if (Filesystem::parseWildcard(destination, unused))
        return Filesystem::CopyDestinationIsPattern;

    if (sourceIsPattern) {
        if (!toFolder)
            return Filesystem::CopyPatternWithoutFolder;
        string folder = slashesForward(source);
        folder = folder.substr(0, folder.rfind("/") + 1);
        Filesystem::appendTrailingBackslash(folder);
        Filesystem::appendTrailingBackslash(destination);
        return copyFolder(normaliseImagePath(folder), normaliseDestinationPath(destination), true, pattern);
    }

    if (!node)
        return Filesystem::CopySourceMissing;

    if (node->record.isDirectory()) {
        if (toFolder)
            return copyFolder(source, destination, false, Filesystem::WildcardPattern());
        if (toFile)
            return Filesystem::CopyFolderOntoFile;
        Filesystem::appendTrailingBackslash(source);
        Filesystem::appendTrailingBackslash(destination);
        source = normaliseImagePath(source);
        destination = normaliseDestinationPath(destination);
        if (!Filesystem::createDirectoryTree(destination))
            return Filesystem::CopyFolderNotMade;
        return copyFolder(source, destination, false, Filesystem::WildcardPattern());
    }

    if (toFolder) {
        Filesystem::appendTrailingBackslash(destination);
        string path = collapseSlashes(slashesForward(source));
        u64 slash = path.rfind("/");
        destination += Filesystem::storedName(slash == string::npos ? path : path.substr(slash + 1));
    }
    return extractFile(source, destination);
}

Filesystem::CopyResult IsoImage::copyFolder(string source, string destination, const bool &usePattern,
                                            const Filesystem::WildcardPattern &pattern) {
    Filesystem::appendTrailingBackslash(source);
    Filesystem::appendTrailingBackslash(destination);
    source = normaliseImagePath(source);
    destination = normaliseDestinationPath(destination);
    std::vector<Located> folder;
    const IsoTreeNode *node = findNode(source);
    if (node && node->record.isDirectory())
        folder.push_back(Located{node, source});
    return copyEntries(folder, destination, usePattern, pattern);
}

// Windows stores names without their trailing dots and spaces and ignores case, so entries whose
// names are equal that way are one file or folder on the key, as when the disc is copied from a
// drive: twins that are all folders become one folder holding the earlier twin's entries and then
// the later's, to which the same rule applies again; where a file is among them, the later entry
// lands alone, whole. Writing each would append one file's bytes to another's. The image's path
// index keeps only the later of names equal but for case, so every entry is copied through its
// own node.
Filesystem::CopyResult IsoImage::copyEntries(const std::vector<Located> &folders, const string &destination,
                                             bool usePattern, const Filesystem::WildcardPattern &pattern) {
    struct Candidate {
        Located entry;
        string name;
        istring stored;
    };
    std::vector<Candidate> selected;
    for (const Located &folder : folders)
        for (const IsoTreeNode &child : folder.node->children) {
            string name = reader->nodeName(child);
            if (!usePattern || Filesystem::matchesWildcard(name, pattern))
                selected.push_back(Candidate{Located{&child, folder.path + name}, name,
                                             istring(Filesystem::storedName(name))});
        }
    // Each name's entries in order; the name lands where its last entry stands.
    std::map<istring, std::vector<u64>> twins;
    for (u64 i = 0; i < selected.size(); ++i)
        twins[selected[i].stored].push_back(i);
    auto isFolder = [&selected](u64 i) { return selected[i].entry.node->record.isDirectory(); };
    std::vector<std::vector<u64>> folderGroups;
    std::vector<u64> files;
    for (u64 i = 0; i < selected.size(); ++i) {
        const std::vector<u64> &group = twins[selected[i].stored];
        if (group.back() != i)
            continue;
        if (!isFolder(i))
            files.push_back(i);
        else if (std::all_of(group.begin(), group.end(), isFolder))
            folderGroups.push_back(group);
        else
            folderGroups.push_back(std::vector<u64>(1, i));
    }

    // Folders first, then files; the first failure stops every later folder and file. Each step on
    // disk is named as Windows stores it: a folder asked for as "sp " is made as "sp", and a path
    // through "sp " would then not be found.
    Filesystem::CopyResult result = Filesystem::CopySucceeded;
    for (const std::vector<u64> &group : folderGroups) {
        const Candidate &later = selected[group.back()];
        if (verbose)
            std::printf("Folder:\t%s\n", later.entry.path.c_str());
        if (result != Filesystem::CopySucceeded)
            continue;
        string into = destination + Filesystem::storedName(later.name);
        if (!Filesystem::createDirectoryTree(into)) {
            result = Filesystem::CopyFolderNotMade;
            continue;
        }
        Filesystem::appendTrailingBackslash(into);
        std::vector<Located> merged;
        for (u64 i : group)
            merged.push_back(Located{selected[i].entry.node, selected[i].entry.path + "/"});
        result = copyEntries(merged, into, false, Filesystem::WildcardPattern());
    }
    for (u64 i : files) {
        if (result != Filesystem::CopySucceeded)
            continue;
        const Candidate &file = selected[i];
        result =
            extractNode(file.entry.node, file.entry.path, destination + Filesystem::storedName(file.name));
    }
    return result;
}

} // namespace Common
