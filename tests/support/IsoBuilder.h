// Builds small ISO-9660 images byte by byte, so tests can present images no mastering tool writes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The default image: a primary descriptor at sector 16 and a Joliet one at 17, both with their
// root directory at sector 20 (one "." and one ".." record), a terminator at 18, and a size of
// 2 MiB + 64 KiB. Offsets past the first 2 MiB + 64 KiB are kept apart and written into a file
// whose size is set without writing the gap.
class IsoBuilder {
  public:
    static constexpr std::uint64_t Sector = 2048;
    static constexpr std::uint64_t RootSector = 20;

    IsoBuilder();

    // Bytes at an absolute offset of the image.
    void put(std::uint64_t offset, const std::string &bytes);
    void putByte(std::uint64_t offset, std::uint8_t value) { put(offset, std::string(1, char(value))); }
    // A byte at byte position bp (counted from 1) of a sector.
    void putAt(std::uint64_t sector, std::uint64_t bp, const std::string &bytes) {
        put(sector * Sector + bp - 1, bytes);
    }

    // Descriptor sectors.
    static std::string descriptor(std::uint8_t type, bool joliet, std::uint32_t rootExtent,
                                  std::uint32_t rootLength);
    static std::string terminator();
    static std::string bootRecord(std::uint32_t catalogSector);
    // A validation entry and an initial entry; key2 is the validation entry's last byte.
    static std::string bootCatalog(std::uint8_t indicator, std::uint8_t key2 = 0xAA, std::uint8_t header = 1);

    // One directory record; identifier bytes as recorded.
    static std::string record(const std::string &identifier, std::uint32_t extent, std::uint32_t length,
                              bool directory, const std::string &systemUse = std::string());
    // The record marked as not the last of its file, whose data goes on in the next record's extent:
    // how a file of 4 GiB or more is recorded.
    static std::string notFinal(std::string record);
    // ASCII as big-endian UCS-2, the way Joliet records names.
    static std::string ucs2(const std::string &ascii);
    static std::string ucs2(const std::u16string &text);

    // A directory at sector with its "." and ".." records followed by the given records; the
    // length recorded for the directory is the caller's.
    void directory(std::uint64_t sector, std::uint32_t parentSector, const std::vector<std::string> &records);
    // An entry of a tree laid out by tree(): a file with its bytes, or a folder with its entries.
    struct Entry {
        std::u16string name;
        std::string bytes;
        bool folder;
        std::vector<Entry> entries;
    };
    static Entry file(const std::u16string &name, const std::string &bytes) {
        return {name, bytes, false, {}};
    }
    static Entry folder(const std::u16string &name, const std::vector<Entry> &entries) {
        return {name, std::string(), true, entries};
    }
    // Lays the entries out below the root, in the order given: each further folder in the next
    // sector from 21 on (one sector each), each file's bytes from sector 200 on.
    void tree(const std::vector<Entry> &entries);

    // Root record of the descriptor at sector.
    void setRoot(std::uint64_t descriptorSector, std::uint32_t extent, std::uint32_t length);

    void setSize(std::uint64_t size) { m_size = size; }
    std::uint64_t size() const { return m_size; }

    void write(const std::string &path) const;

  private:
    std::string m_head;
    std::map<std::uint64_t, std::string> m_far;
    std::uint64_t m_size;
};
