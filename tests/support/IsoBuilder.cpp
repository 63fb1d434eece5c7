// Builds small ISO-9660 images byte by byte.
#include "support/IsoBuilder.h"

#include "support/FileBytes.h"

#include <cstdio>

namespace {

const std::uint64_t HeadBytes = 0x200000 + 0x10000;

std::string le16(std::uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string be16(std::uint32_t v) { return {char((v >> 8) & 0xFF), char(v & 0xFF)}; }
std::string be32(std::uint32_t v) { return be16(v >> 16) + be16(v & 0xFFFF); }
std::string both16(std::uint32_t v) { return le16(v) + be16(v); }
std::string both32(std::uint32_t v) { return le32(v) + be32(v); }

void place(std::string &sector, std::uint64_t bp, const std::string &bytes) {
    sector.replace(bp - 1, bytes.size(), bytes);
}

} // namespace

IsoBuilder::IsoBuilder() : m_head(HeadBytes, '\0'), m_size(HeadBytes) {
    put(16 * Sector, descriptor(1, false, RootSector, Sector));
    put(17 * Sector, descriptor(2, true, RootSector, Sector));
    put(18 * Sector, terminator());
    directory(RootSector, RootSector, {});
}

void IsoBuilder::put(std::uint64_t offset, const std::string &bytes) {
    if (offset + bytes.size() <= m_head.size())
        m_head.replace(offset, bytes.size(), bytes);
    else
        m_far[offset] = bytes;
}

std::string IsoBuilder::descriptor(std::uint8_t type, bool joliet, std::uint32_t rootExtent,
                                   std::uint32_t rootLength) {
    std::string s(Sector, '\0');
    place(s, 1, std::string(1, char(type)) + "CD001" + char(1));
    place(s, 9, std::string(32, ' '));
    place(s, 41, "CRAFTED" + std::string(25, ' '));
    place(s, 81, both32(0x410));
    if (joliet)
        place(s, 89, "%/E");
    place(s, 121, both16(1));
    place(s, 125, both16(1));
    place(s, 129, both16(Sector));
    place(s, 157, record(std::string(1, '\0'), rootExtent, rootLength, true));
    s[882 - 1] = 1;
    return s;
}

std::string IsoBuilder::terminator() {
    std::string s(Sector, '\0');
    place(s, 1, std::string(1, char(255)) + "CD001" + char(1));
    return s;
}

std::string IsoBuilder::bootRecord(std::uint32_t catalogSector) {
    std::string s(Sector, '\0');
    place(s, 1, std::string(1, '\0') + "CD001" + char(1));
    // The El Torito boot system identifier; the rest of its 32 bytes stay NUL.
    const char identifier[] = {'E', 'L', ' ', 'T', 'O', 'R', 'I', 'T', 'O', ' ', 'S', 'P',
                               'E', 'C', 'I', 'F', 'I', 'C', 'A', 'T', 'I', 'O', 'N', '\0'};
    place(s, 8, identifier);
    place(s, 72, le32(catalogSector));
    return s;
}

std::string IsoBuilder::bootCatalog(std::uint8_t indicator, std::uint8_t key2, std::uint8_t header) {
    std::string s(64, '\0');
    s[0] = char(header);
    s[30] = char(0x55);
    s[31] = char(key2);
    s[32] = char(indicator);
    s.replace(32 + 6, 2, le16(4));
    s.replace(32 + 8, 4, le32(30));
    return s;
}

std::string IsoBuilder::record(const std::string &identifier, std::uint32_t extent, std::uint32_t length,
                               bool directory, const std::string &systemUse) {
    std::string r;
    r += '\0'; // length, set below
    r += '\0';
    r += both32(extent);
    r += both32(length);
    r += std::string(7, '\0');
    r += char(directory ? 2 : 0);
    r += '\0';
    r += '\0';
    r += both16(1);
    r += char(identifier.size());
    r += identifier;
    if (identifier.size() % 2 == 0)
        r += '\0';
    r += systemUse;
    r[0] = char(r.size());
    return r;
}

std::string IsoBuilder::notFinal(std::string record) {
    const std::size_t flags = 25; // byte position 26
    record[flags] = char(record[flags] | 0x80);
    return record;
}

std::string IsoBuilder::ucs2(const std::string &ascii) {
    std::string s;
    for (char c : ascii) {
        s += '\0';
        s += c;
    }
    return s;
}

std::string IsoBuilder::ucs2(const std::u16string &text) {
    std::string s;
    for (char16_t c : text) {
        s += char(c >> 8);
        s += char(c & 0xFF);
    }
    return s;
}

void IsoBuilder::directory(std::uint64_t sector, std::uint32_t parentSector,
                           const std::vector<std::string> &records) {
    std::string d = record(std::string(1, '\0'), std::uint32_t(sector), Sector, true) +
                    record(std::string(1, '\1'), parentSector, Sector, true);
    for (const std::string &r : records)
        d += r;
    put(sector * Sector, d);
}

namespace {

struct Layout {
    IsoBuilder &image;
    std::uint32_t nextFolder;
    std::uint64_t nextData;

    void lay(std::uint32_t sector, std::uint32_t parent, const std::vector<IsoBuilder::Entry> &entries) {
        std::vector<std::string> records;
        std::vector<std::pair<std::uint32_t, const IsoBuilder::Entry *>> folders;
        for (const IsoBuilder::Entry &e : entries) {
            if (e.folder) {
                std::uint32_t at = nextFolder++;
                records.push_back(IsoBuilder::record(IsoBuilder::ucs2(e.name), at, IsoBuilder::Sector, true));
                folders.push_back({at, &e});
            } else {
                std::uint32_t at = std::uint32_t(nextData);
                image.put(nextData * IsoBuilder::Sector, e.bytes);
                nextData += (e.bytes.size() + IsoBuilder::Sector - 1) / IsoBuilder::Sector + 1;
                records.push_back(
                    IsoBuilder::record(IsoBuilder::ucs2(e.name), at, std::uint32_t(e.bytes.size()), false));
            }
        }
        image.directory(sector, parent, records);
        for (const auto &f : folders)
            lay(f.first, sector, f.second->entries);
    }
};

} // namespace

void IsoBuilder::tree(const std::vector<Entry> &entries) {
    Layout layout{*this, RootSector + 1, 200};
    layout.lay(RootSector, RootSector, entries);
}

void IsoBuilder::setRoot(std::uint64_t descriptorSector, std::uint32_t extent, std::uint32_t length) {
    putAt(descriptorSector, 157, record(std::string(1, '\0'), extent, length, true));
}

void IsoBuilder::write(const std::string &path) const {
    std::remove(path.c_str());
    writeFileAt(path, 0, m_head);
    setFileSize(path, m_size);
    for (const auto &patch : m_far)
        writeFileAt(path, patch.first, patch.second);
}
