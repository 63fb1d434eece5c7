// An ISO-9660 image: path index, whole-file reads and chunked extraction to disk.
#include "common/IsoImage.h"

#include "common/os/FileStream.h"
#include "common/os/LastError.h"

#include <cstdio>

namespace Common {

namespace {

// Every pair of sep becomes one, in one left-to-right pass: a run of n becomes ceil(n / 2).
string halvePairs(const string &path, char sep) {
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
    string p = halvePairs(slashesForward(path), '/');
    if (!p.empty() && p[0] == '/')
        p = p.substr(1);
    return p;
}

string IsoImage::normaliseDestinationPath(string path) { return halvePairs(path, '\\'); }

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
    chunkFailed = false;
    const IsoTreeNode *node = findNode(path);
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

u8 IsoImage::extractFile(string imagePath, string destination) {
    imagePath = normaliseImagePath(imagePath);
    destination = normaliseDestinationPath(destination);
    string chunk;
    bool more = false;
    if (!readFirstChunk(imagePath, chunk, more))
        return 1;
    std::FILE *file = Os::openFile(destination.c_str(), "ab");
    if (!file)
        return 2;
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
        return 1;
    return written && flushed && closed ? 0 : 2;
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

} // namespace Common
