// ISO-9660 image reader: volume descriptors, the Joliet choice, the directory tree, El Torito.
#include "common/IsoReader.h"

#include "common/Filesystem.h"
#include "common/os/LastError.h"

#include <cstring>
#include <map>
#include <string>

namespace Common {

namespace {

// What the reader throws while parsing; open turns every exception into a refused image.
const int Malformed = 1;
const int UnsupportedVersion = 2;

const u8 TypeBootRecord = 0;
const u8 TypePrimary = 1;
const u8 TypeSupplementary = 2;
const u8 TypeTerminator = 255;

// The boot system identifier that makes a boot record El Torito's, NUL-padded to 32 bytes. Spelt
// out byte by byte, as it is compared byte by byte.
const char ElToritoId[32] = {'E', 'L', ' ', 'T', 'O', 'R', 'I', 'T', 'O', ' ', 'S', 'P',
                             'E', 'C', 'I', 'F', 'I', 'C', 'A', 'T', 'I', 'O', 'N'};
// Where a boot record keeps its catalog's sector (byte position 72 of the sector, counted from 8).
const u64 CatalogPointer = 72 - 8;

// Directory byte ranges read so far, by start: a range that overlaps one of them leads back into
// a directory already read, which would loop or multiply the tree.
typedef std::map<u64, u64> RangeSet;

bool overlapsAny(const RangeSet &ranges, u64 start, u64 end) {
    RangeSet::const_iterator next = ranges.lower_bound(start);
    if (next != ranges.end() && next->first < end)
        return true;
    if (next != ranges.begin()) {
        --next;
        if (next->second > start)
            return true;
    }
    return false;
}

} // namespace

bool IsoVolumeDescriptor::isJoliet() const {
    return !(volumeFlags & 1) && escapeSequences[0] == 0x25 && escapeSequences[1] == 0x2F &&
           (escapeSequences[2] == 0x40 || escapeSequences[2] == 0x43 || escapeSequences[2] == 0x45);
}

IsoReader::IsoReader()
    : imageSize(0), chosenDescriptor(0), suspPresent(0), suspSkip(0), cursor(0), windowBase(0),
      bootRecordSeen(0), bootRecord(), refusal(IsoRefusal::None) {
    root.record.flags = IsoDirectoryRecord::DirectoryFlag;
}

IsoReader::~IsoReader() { reset(); }

void IsoReader::reset() {
    nodeList.clear();
    root.children.clear();
    root.parent = nullptr;
    descriptors.clear();
    bootEntries.clear();
    bootRecordSeen = false;
    suspPresent = false;
    suspSkip = 0;
}

bool IsoReader::open(string path) {
    refusal = IsoRefusal::None;
    file = MemoryFile(path);
    if (!file.isOpen()) {
        Os::LastErrorKeeper keep;
        reset();
        return false;
    }
    imageSize = file.getSize();
    bool usable = false;
    try {
        usable = parse();
    } catch (...) {
        usable = false;
    }
    if (!usable) {
        reset();
        // The image itself is at fault, not a platform call.
        Os::setLastError(0);
    }
    return usable;
}

const IsoVolumeDescriptor *IsoReader::getChosenDescriptor() const {
    return chosenDescriptor < descriptors.size() ? &descriptors[chosenDescriptor] : nullptr;
}

bool IsoReader::parse() {
    reset();
    cursor = DescriptorStart;
    for (;;) {
        u64 sectorStart = cursor;
        u8 type = readU8();
        u8 id[5];
        readBytes(id, sizeof id);
        u8 version = readU8();
        if (std::memcmp(id, "CD001", 5) != 0)
            return false;
        if (version > 2)
            throw UnsupportedVersion;
        if (type == TypeTerminator)
            break;
        if (type == TypeBootRecord) {
            bootRecordSeen = true;
            readBootRecord();
        } else if (type == TypePrimary || type == TypeSupplementary) {
            IsoVolumeDescriptor d;
            readVolumeDescriptor(d);
            if (type == TypePrimary)
                std::memset(d.escapeSequences, 0, sizeof d.escapeSequences);
            descriptors.push_back(d);
        } else {
            cursor = sectorStart + SectorSize;
        }
    }
    if (descriptors.empty())
        return false;

    // The last Joliet descriptor wins; the first descriptor is taken when none qualifies.
    chosenDescriptor = 0;
    for (u64 i = descriptors.size() - 1; i > 0; --i) {
        if (descriptors[i].isJoliet()) {
            chosenDescriptor = i;
            break;
        }
    }
    if (descriptors[chosenDescriptor].logicalBlockSize != SectorSize)
        return false;

    root.record = descriptors[chosenDescriptor].rootDirectoryRecord;
    RangeSet directories;
    readDirectory(root, 0, directories);
    linkParents(root);
    checkEntries(root);
    readBootCatalog();
    return true;
}

void IsoReader::need(u64 bytes) const {
    // Metadata lives in the head copy; a structure that reaches beyond it refuses the image.
    if (cursor > MemoryFile::HeadSize || bytes > MemoryFile::HeadSize - cursor)
        throw Malformed;
}

u8 IsoReader::readU8() {
    need(1);
    return *file.getHeadPointer(cursor++);
}

u16 IsoReader::readU16LE() {
    u16 lo = readU8();
    return static_cast<u16>(lo | (readU8() << 8));
}

u32 IsoReader::readU32LE() {
    u32 lo = readU16LE();
    return lo | (static_cast<u32>(readU16LE()) << 16);
}

u32 IsoReader::readU32BE() {
    u32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | readU8();
    return value;
}

u16 IsoReader::readU16Both() {
    u8 b[4];
    readBytes(b, sizeof b);
    if (b[0] != b[3] || b[1] != b[2])
        throw Malformed;
    return static_cast<u16>(b[0] | (b[1] << 8));
}

u32 IsoReader::readU32Both() {
    u8 b[8];
    readBytes(b, sizeof b);
    for (int i = 0; i < 4; ++i)
        if (b[i] != b[7 - i])
            throw Malformed;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<u32>(b[3]) << 24);
}

void IsoReader::readBytes(u8 *out, u64 n) {
    need(n);
    std::memcpy(out, file.getHeadPointer(cursor), n);
    cursor += n;
}

void IsoReader::readZeros(u64 n) {
    for (u64 i = 0; i < n; ++i)
        if (readU8() != 0)
            throw Malformed;
}

IsoDateTime IsoReader::readDecDateTime() {
    // A zero byte reads as the digit 0.
    auto digits = [this](int count) {
        unsigned value = 0;
        for (int i = 0; i < count; ++i) {
            u8 c = readU8();
            if (c == 0)
                c = '0';
            if (c < '0' || c > '9')
                throw Malformed;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    IsoDateTime t;
    t.year = static_cast<u16>(digits(4));
    t.month = static_cast<u8>(digits(2));
    t.day = static_cast<u8>(digits(2));
    t.hour = static_cast<u8>(digits(2));
    t.minute = static_cast<u8>(digits(2));
    t.second = static_cast<u8>(digits(2));
    t.hundredths = static_cast<u8>(digits(2));
    t.gmtOffset = readU8();
    return t;
}

void IsoReader::readVolumeDescriptor(IsoVolumeDescriptor &d) {
    d.volumeFlags = readU8();
    readBytes(d.systemId, sizeof d.systemId);
    readBytes(d.volumeId, sizeof d.volumeId);
    readZeros(8);
    d.volumeSpaceSize = readU32Both();
    readBytes(d.escapeSequences, sizeof d.escapeSequences);
    d.volumeSetSize = readU16Both();
    d.volumeSequenceNumber = readU16Both();
    d.logicalBlockSize = readU16Both();
    d.pathTableSize = readU32Both();
    d.typeLPathTable = readU32LE();
    d.optionalTypeLPathTable = readU32LE();
    d.typeMPathTable = readU32BE();
    d.optionalTypeMPathTable = readU32BE();
    // The recorded length of the root record is not trusted: it is always 34 bytes long.
    readU8();
    readDirectoryRecord(d.rootDirectoryRecord, 34);
    readBytes(d.volumeSetId, sizeof d.volumeSetId);
    readBytes(d.publisherId, sizeof d.publisherId);
    readBytes(d.dataPreparerId, sizeof d.dataPreparerId);
    readBytes(d.applicationId, sizeof d.applicationId);
    readBytes(d.copyrightFileId, sizeof d.copyrightFileId);
    readBytes(d.abstractFileId, sizeof d.abstractFileId);
    readBytes(d.bibliographicFileId, sizeof d.bibliographicFileId);
    d.creation = readDecDateTime();
    d.modification = readDecDateTime();
    d.expiration = readDecDateTime();
    d.effective = readDecDateTime();
    d.fileStructureVersion = readU8();
    readZeros(1);
    readBytes(d.applicationUse, sizeof d.applicationUse);
    readZeros(653);
}

void IsoReader::readBootRecord() { readBytes(bootRecord, sizeof bootRecord); }

void IsoReader::readDirectoryRecord(IsoDirectoryRecord &r, u64 length) {
    if (readU8() != 0)
        throw Malformed;
    r.extendedAttributeLength = 0;
    r.extent = readU32Both();
    r.dataLength = readU32Both();
    readBytes(r.recordingTime, sizeof r.recordingTime);
    r.flags = readU8();
    r.fileUnitSize = readU8();
    r.interleaveGap = readU8();
    r.volumeSequenceNumber = readU16Both();
    u64 identifierLength = readU8();
    u64 padding = identifierLength % 2 == 0 ? 1 : 0;
    if (33 + identifierLength + padding > length)
        throw Malformed;
    u64 systemUseLength = length - 33 - identifierLength - padding;
    need(identifierLength + padding + systemUseLength);
    r.identifier.assign(reinterpret_cast<const char *>(file.getHeadPointer(cursor)), identifierLength);
    cursor += identifierLength + padding;
    r.systemUse.assign(reinterpret_cast<const char *>(file.getHeadPointer(cursor)), systemUseLength);
    cursor += systemUseLength;
}

void IsoReader::readDirectory(IsoTreeNode &node, u64 depth, std::map<u64, u64> &directories) {
    if (!node.record.isDirectory())
        return;
    if (depth > MaxDepth)
        throw Malformed;
    u64 start = descriptors[chosenDescriptor].logicalBlockSize * node.record.extent;
    u64 end = start + node.record.dataLength;
    if (node.record.dataLength) {
        if (overlapsAny(directories, start, end))
            throw Malformed;
        directories[start] = end;
    }
    cursor = start;
    bool first = true;
    while (cursor - start < node.record.dataLength) {
        u8 length = readU8();
        // Zero fill at the end of each sector.
        if (length == 0)
            continue;
        IsoTreeNode child;
        readDirectoryRecord(child.record, length);
        if (first && depth == 0) {
            u64 skip = 0;
            suspPresent = findSuspSP(child.record, skip);
            if (suspPresent)
                suspSkip = skip;
        }
        const string &id = child.record.identifier;
        bool selfOrParent = id.length() == 1 && (id[0] == 0 || id[0] == 1);
        if (!selfOrParent)
            node.children.push_back(child);
        first = false;
    }
    for (IsoTreeNode &child : node.children)
        readDirectory(child, depth + 1, directories);
}

void IsoReader::linkParents(IsoTreeNode &node) {
    if (!node.record.isDirectory())
        return;
    for (u64 i = 0; i < node.children.size(); ++i) {
        IsoTreeNode &child = node.children[i];
        child.parent = &node;
        nodeList.push_back(NodeLink{&node, static_cast<u32>(i)});
        linkParents(child);
    }
}

namespace {

// Windows opens a device, not a file, for these names in any folder and with any extension
// ("nul.txt", "COM1 .log", "conout$.txt"), so extracting such an entry would send its bytes to a
// port, a printer or the console, or fail.
bool isDeviceName(const string &name) {
    u64 end = name.find(".");
    if (end == string::npos)
        end = name.length();
    while (end > 0 && name[end - 1] == ' ')
        --end;
    char base[8] = {};
    if (end < 3 || end > 7)
        return false;
    for (u64 i = 0; i < end; ++i) // ASCII only: the device names are, whatever the locale folds
        base[i] = name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
    if (end == 3)
        return std::strcmp(base, "CON") == 0 || std::strcmp(base, "PRN") == 0 ||
               std::strcmp(base, "AUX") == 0 || std::strcmp(base, "NUL") == 0;
    if (end == 6 || end == 7)
        return std::strcmp(base, "CONIN$") == 0 || std::strcmp(base, "CONOUT$") == 0;
    // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits of the 8-bit code page.
    const unsigned char digit = static_cast<unsigned char>(base[3]);
    const bool portDigit = (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    return end == 4 && portDigit && (std::strncmp(base, "COM", 3) == 0 || std::strncmp(base, "LPT", 3) == 0);
}

// Bytes that Windows refuses in a name: control bytes, the separators, the drive colon and the
// wildcard and redirection characters.
bool isRefusedByte(unsigned char c) { return c < 0x20 || std::strchr("\\/:<>\"|?*", c) != nullptr; }

} // namespace

void IsoReader::checkEntries(const IsoTreeNode &node) {
    // Narrowing can turn a Joliet name into a path step ("..", a separator, a drive colon), a
    // control byte or a character Windows cannot create; extracting such an image could write
    // outside its destination, or would fail half-way onto a key already formatted. A name that
    // is nothing but dots and spaces is stored as no name at all. A file in several extents would
    // be taken for twins and only its last extent copied; the tools split only files of 4 GiB or
    // more, which FAT32 cannot hold anyway.
    for (const IsoTreeNode &child : node.children) {
        string name = nodeName(child);
        bool unwritable = Filesystem::storedName(name).empty() || isDeviceName(name);
        for (u64 i = 0; i < name.length(); ++i)
            unwritable = unwritable || isRefusedByte(static_cast<unsigned char>(name[i]));
        if (unwritable) {
            refusal = IsoRefusal::UnwritableName;
            throw Malformed;
        }
        if (!child.record.isDirectory() && (child.record.flags & IsoDirectoryRecord::NotFinalFlag)) {
            refusal = IsoRefusal::FileTooLarge;
            throw Malformed;
        }
        checkEntries(child);
    }
}

void IsoReader::readBootCatalog() {
    if (!bootRecordSeen || std::memcmp(bootRecord, ElToritoId, sizeof ElToritoId) != 0)
        return;
    // The boot record's pointer, however many descriptors the image has: a guess from a path
    // table's place would land on a path table, which reads as a broken catalog and refuses a sound
    // image (a bootable one with an enhanced volume descriptor beside the Joliet one, say).
    const u8 *p = bootRecord + CatalogPointer;
    u64 sector = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<u64>(p[3]) << 24);
    cursor = sector * descriptors[chosenDescriptor].logicalBlockSize;

    // Validation entry.
    if (readU8() != 1)
        return;
    readU8();
    if (readU16LE() != 0)
        throw Malformed;
    need(24);
    cursor += 24;
    readU16LE();
    if (readU8() != 0x55 || readU8() != 0xAA)
        throw Malformed;

    // Initial entry.
    IsoBootEntry entry;
    u8 indicator = readU8();
    if (indicator == 0x88)
        entry.bootable = true;
    else if (indicator != 0)
        return;
    entry.mediaType = readU8();
    entry.loadSegment = readU16LE();
    entry.systemType = readU8();
    if (readU8() != 0)
        throw Malformed;
    entry.sectorCount = readU16LE();
    entry.loadRba = readU32LE();
    if (readU8() != 0)
        throw Malformed;
    bootEntries.push_back(entry);
}

bool IsoReader::findSuspSP(const IsoDirectoryRecord &record, u64 &skip) const {
    static const u8 sp[6] = {0x53, 0x50, 7, 1, 0xBE, 0xEF};
    const string &area = record.systemUse;
    const u8 *bytes = reinterpret_cast<const u8 *>(area.c_str());
    if (area.length() >= 7 && std::memcmp(bytes, sp, 6) == 0) {
        skip = bytes[6];
        return true;
    }
    // Behind 14 bytes of CD-ROM XA information.
    if (area.length() >= 21 && std::memcmp(bytes + 14, sp, 6) == 0) {
        skip = bytes[20];
        return true;
    }
    return false;
}

string IsoReader::nodeName(const IsoTreeNode &node) const {
    if (!node.parent)
        return string();
    // Big-endian UCS-2 cut to the low byte of each code unit.
    const string &id = node.record.identifier;
    std::string name;
    for (u64 i = 0; 2 * i + 1 < id.length(); ++i)
        name += id[2 * i + 1];
    return string(name.data(), name.size());
}

bool IsoReader::readData(string &out, const u64 &pos, const u64 &len) {
    if (pos > imageSize || len > imageSize - pos) {
        out.clear();
        return false;
    }
    if (len == 0) {
        out.clear();
        return true;
    }
    windowBase = file.mapWindow(pos, len);
    const u8 *view = file.getView();
    u64 windowSize = file.getWindowSize();
    u64 n = len == MemoryFile::WindowLimit ? windowBase + windowSize - pos : len;
    // A refused window, or a request that does not fit in one, must not reach outside the view.
    if (!view || pos < windowBase || pos - windowBase > windowSize || n > windowSize - (pos - windowBase)) {
        out.clear();
        return false;
    }
    out.assign(reinterpret_cast<const char *>(view + (pos - windowBase)), n);
    return true;
}

} // namespace Common
