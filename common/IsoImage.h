// An ISO-9660 image as the rest of the program sees it: a case-insensitive path index over the
// reader's tree, whole-file reads, chunked extraction to disk, and the copy command.
#pragma once

#include "common/CopyResult.h"
#include "common/Filesystem.h"
#include "common/IsoReader.h"
#include "common/List.h"
#include "common/Map.h"
#include "common/SharedPtr.h"
#include "common/String.h"
#include "common/Types.h"

#include <vector>

namespace Common {

// Copies share one reader (tree and mapped file) by assignment. The chunk state belongs to each
// object, the mapped window to the shared reader: one thread at a time, one file at a time.
class IsoImage {
  public:
    // A chunk never reaches past the end of the window that holds its first byte.
    static constexpr u64 ChunkSize = MemoryFile::WindowLimit;

    explicit IsoImage(const string &path);
    IsoImage(const IsoImage &other);
    ~IsoImage();
    IsoImage &operator=(const IsoImage &other);

    bool isOpen() const { return opened != 0; }
    // Why an image that did not open was refused, where that is more than damage: a name no key
    // can hold, or a file too large for one. None for an open image and for every other failure.
    IsoRefusal refusal() const { return reader->getRefusal(); }
    bool isFile(const string &path);
    // False, with out unchanged, when the path is not in the image or its data does not lie in it.
    bool readFile(const string &path, string &out);
    list<string> listFolders(string path);
    list<string> listFiles(string path);
    bool readFirstChunk(const string &path, string &chunk, bool &more);
    bool readNextChunk(string &chunk);
    // CopySucceeded; CopySourceUnreadable when the file is not in the image or cannot be read;
    // CopyDestinationUnwritable when the destination cannot be opened or written.
    Filesystem::CopyResult extractFile(string imagePath, string destination);
    // The chosen descriptor's volume identifier without its trailing blanks.
    string getVolumeLabel() const;

    // Copies out of the image onto disk: a file, a folder's whole tree, or the top-level entries of
    // a folder that match a star pattern ("\\folder\\*.cfg"). The first failure stops the copy and
    // is its result; what was made before it stays.
    Filesystem::CopyResult copy(string source, string destination);
    Filesystem::CopyResult copyFolder(string source, string destination, const bool &usePattern,
                                      const Filesystem::WildcardPattern &pattern);

    // Progress lines on standard output; nothing in the program turns it on.
    u8 verbose;

  private:
    typedef map<istring, const IsoTreeNode *> Index;
    // An entry of the tree with its own path in the image: a merged folder's entries come from
    // twins that no path lookup tells apart.
    struct Located {
        const IsoTreeNode *node;
        string path;
    };

    void indexPaths(const string &prefix, const IsoTreeNode &node);
    const IsoTreeNode *findNode(string path);
    bool readFirstChunkOf(const IsoTreeNode *node, string &chunk, bool &more);
    Filesystem::CopyResult extractNode(const IsoTreeNode *node, const string &imagePath,
                                       const string &destination);
    // The entries of the given folders, twins of one another, into one disk folder.
    Filesystem::CopyResult copyEntries(const std::vector<Located> &folders, const string &destination,
                                       bool usePattern, const Filesystem::WildcardPattern &pattern);
    void copyFrom(const IsoImage &other);
    // Where a node's data lies; false when it runs past the end of the image.
    bool dataRange(const IsoTreeNode &node, u64 &pos, u64 &length) const;

    static string normaliseImagePath(string path);
    static string normaliseDestinationPath(string path);

    u8 opened;
    string path;
    SharedPtr<IsoReader> reader;
    Index index;
    u64 nextChunkPos;
    u64 bytesDone;
    u64 fileSize;
    // A chunk after the first could not be read (its window was refused).
    bool chunkFailed;
};

} // namespace Common
