// ISO-9660 image reader: volume descriptors, the Joliet choice, the directory tree, El Torito.
#pragma once

#include "common/MemoryFile.h"
#include "common/String.h"
#include "common/Types.h"

#include <map>
#include <vector>

namespace Common {

struct IsoDirectoryRecord {
    u8 extendedAttributeLength = 0;
    u64 extent = 0;
    u64 dataLength = 0;
    u8 flags = 0;
    u8 fileUnitSize = 0;
    u8 interleaveGap = 0;
    u16 volumeSequenceNumber = 0;
    u8 recordingTime[7] = {};
    // The identifier's and the system-use area's bytes exactly as recorded.
    string identifier;
    string systemUse;

    static constexpr u8 DirectoryFlag = 2;
    // Set on every record of a file but its last extent's.
    static constexpr u8 NotFinalFlag = 0x80;
    bool isDirectory() const { return (flags & DirectoryFlag) != 0; }
};

struct IsoDateTime {
    u16 year = 0;
    u8 month = 0;
    u8 day = 0;
    u8 hour = 0;
    u8 minute = 0;
    u8 second = 0;
    u8 hundredths = 0;
    u8 gmtOffset = 0;
};

// Identifier fields are raw bytes, not terminated.
struct IsoVolumeDescriptor {
    u8 volumeFlags = 0;
    u8 systemId[32] = {};
    u8 volumeId[32] = {};
    u32 volumeSpaceSize = 0;
    u8 escapeSequences[32] = {};
    u16 volumeSetSize = 0;
    u16 volumeSequenceNumber = 0;
    u16 logicalBlockSize = 0;
    u32 pathTableSize = 0;
    u32 typeLPathTable = 0;
    u32 optionalTypeLPathTable = 0;
    u32 typeMPathTable = 0;
    u32 optionalTypeMPathTable = 0;
    IsoDirectoryRecord rootDirectoryRecord;
    u8 volumeSetId[128] = {};
    u8 publisherId[128] = {};
    u8 dataPreparerId[128] = {};
    u8 applicationId[128] = {};
    u8 copyrightFileId[37] = {};
    u8 abstractFileId[37] = {};
    u8 bibliographicFileId[37] = {};
    IsoDateTime creation;
    IsoDateTime modification;
    IsoDateTime expiration;
    IsoDateTime effective;
    u8 fileStructureVersion = 0;
    u8 applicationUse[512] = {};

    // Joliet's UCS-2 escape sequences, levels 1 to 3, on a descriptor not flagged otherwise.
    bool isJoliet() const;
};

struct IsoBootEntry {
    bool bootable = false;
    u8 mediaType = 0;
    u16 loadSegment = 0;
    u8 systemType = 0;
    u16 sectorCount = 0;
    u32 loadRba = 0;
};

// Children live inside their parent's vector, and pointers into the tree are kept elsewhere, so the
// tree must not change once read.
struct IsoTreeNode {
    IsoDirectoryRecord record;
    IsoTreeNode *parent = nullptr;
    std::vector<IsoTreeNode> children;
};

// Why a readable image was refused, where the user can be told more than that it is damaged.
enum class IsoRefusal : u8 {
    None,
    // A name Windows cannot create, that opens a device, or that climbs out of the destination.
    UnwritableName,
    // A file recorded in more than one extent: 4 GiB or more, more than FAT32 holds.
    FileTooLarge,
};

// Validates strictly: anything malformed refuses the whole image. Metadata is read from the memory
// file's head copy only, file data through its window.
class IsoReader {
  public:
    static constexpr u64 SectorSize = 2048;
    static constexpr u64 DescriptorStart = 0x8000;
    // Deeper trees are refused rather than followed.
    static constexpr u64 MaxDepth = 64;

    struct NodeLink {
        IsoTreeNode *parent;
        u32 index;
    };

    IsoReader();
    ~IsoReader();
    IsoReader(const IsoReader &) = delete;
    IsoReader &operator=(const IsoReader &) = delete;

    // True when the image is usable. A refusal that no failing platform call caused leaves the
    // platform's last-error value 0.
    bool open(string path);
    void reset();
    string nodeName(const IsoTreeNode &node) const;
    // Copies image bytes from pos; a request for exactly one window's worth stops at the window's
    // end. False, with out emptied, when the range is not in the image or cannot be mapped.
    bool readData(string &out, const u64 &pos, const u64 &len);

    u64 getWindowSize() const { return file.getWindowSize(); }
    // The reason of the last open's refusal, when it was one of these; kept through reset.
    IsoRefusal getRefusal() const { return refusal; }
    const IsoVolumeDescriptor *getChosenDescriptor() const;

    u64 imageSize;
    std::vector<NodeLink> nodeList;
    std::vector<IsoVolumeDescriptor> descriptors;
    u64 chosenDescriptor;
    std::vector<IsoBootEntry> bootEntries;
    u8 suspPresent;
    u64 suspSkip;
    IsoTreeNode root;
    MemoryFile file;
    u64 cursor;
    u64 windowBase;
    u8 bootRecordSeen;
    u8 bootRecord[2041];

  private:
    IsoRefusal refusal;

    bool parse();
    void need(u64 bytes) const;
    u8 readU8();
    u16 readU16LE();
    u32 readU32LE();
    u32 readU32BE();
    u16 readU16Both();
    u32 readU32Both();
    void readBytes(u8 *out, u64 n);
    void readZeros(u64 n);
    IsoDateTime readDecDateTime();
    void readVolumeDescriptor(IsoVolumeDescriptor &d);
    void readBootRecord();
    void readDirectoryRecord(IsoDirectoryRecord &r, u64 length);
    void readDirectory(IsoTreeNode &node, u64 depth, std::map<u64, u64> &directories);
    void linkParents(IsoTreeNode &node);
    void readBootCatalog();
    bool findSuspSP(const IsoDirectoryRecord &record, u64 &skip) const;
    void checkEntries(const IsoTreeNode &node);
};

} // namespace Common
