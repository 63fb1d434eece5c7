// Common::IsoReader: descriptor choice, tree, names, El Torito, and every refusal of a bad image.
#include "common/IsoReader.h"
#include "TestImages.h"
#include "common/os/LastError.h"
#include "support/IsoBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

using Common::IsoReader;
using Common::IsoTreeNode;

namespace {

const IsoTreeNode *child(const IsoReader &reader, const IsoTreeNode &node, const std::string &name) {
    for (const IsoTreeNode &c : node.children)
        if (std::string(reader.nodeName(c).c_str()) == name)
            return &c;
    return nullptr;
}

std::set<std::string> names(const IsoReader &reader, const IsoTreeNode &node) {
    std::set<std::string> result;
    for (const IsoTreeNode &c : node.children)
        result.insert(reader.nodeName(c).c_str());
    return result;
}

// Opens a crafted image; the last-error value is set beforehand so a refusal must clear it. The
// reason the reader gives must be the expected one, none unless a name or a file size is at fault.
bool openCrafted(const IsoBuilder &image, IsoReader &reader,
                 Common::IsoRefusal expected = Common::IsoRefusal::None) {
    ScratchFolder scratch;
    std::string path = scratch / "crafted.iso";
    image.write(path);
    Common::Os::setLastError(1234);
    bool opened = reader.open(path.c_str());
    if (!opened) {
        EXPECT_EQ(0u, Common::Os::lastError()) << "a malformed image is no platform failure";
        EXPECT_TRUE(reader.root.children.empty());
        EXPECT_EQ(nullptr, reader.root.parent);
    }
    EXPECT_EQ(int(expected), int(reader.getRefusal())) << "the reason of the refusal";
    return opened;
}

// Byte offset of the first descriptor of a type in an image file's sectors 16 on.
std::uint64_t findDescriptor(const std::string &bytes, char type) {
    for (std::uint64_t s = 16; (s + 1) * 2048 <= bytes.size(); ++s)
        if (bytes[s * 2048] == type && bytes.compare(s * 2048 + 1, 5, "CD001") == 0)
            return s * 2048;
    return 0;
}

TEST(IsoReader, JolietTreeOfAMadeImage) {
    IsoReader reader;
    ASSERT_TRUE(reader.open(testImage("basic.iso").c_str()));
    ASSERT_NE(nullptr, reader.getChosenDescriptor());
    EXPECT_TRUE(reader.getChosenDescriptor()->isJoliet());
    EXPECT_EQ(2u, reader.descriptors.size());
    EXPECT_EQ("", std::string(reader.nodeName(reader.root).c_str()));

    std::set<std::string> top = names(reader, reader.root);
    EXPECT_EQ((std::set<std::string>{"Case.txt", "README.TXT", "case.TXT", "docs", "empty.txt", "emptydir",
                                     "filler.bin", "isolinux", "usb"}),
              top);
    const IsoTreeNode *iso = child(reader, reader.root, "isolinux");
    ASSERT_NE(nullptr, iso);
    EXPECT_TRUE(iso->record.isDirectory());
    EXPECT_EQ(&reader.root, iso->parent);
    EXPECT_EQ((std::set<std::string>{"isolinux.bin", "isolinux.cfg", "notes.txt", "sub.cfg", "syslinux.cfg"}),
              names(reader, *iso));
    const IsoTreeNode *cfg = child(reader, *iso, "isolinux.cfg");
    ASSERT_NE(nullptr, cfg);
    EXPECT_EQ(iso, cfg->parent);
    EXPECT_EQ(14u, cfg->record.dataLength);
    EXPECT_TRUE(reader.bootEntries.empty());

    Common::string data;
    ASSERT_TRUE(reader.readData(data, cfg->record.extent * 2048, cfg->record.dataLength));
    EXPECT_EQ(Common::string("default linux\n"), data);
}

TEST(IsoReader, ElToritoInitialEntryOfAMadeImage) {
    struct Case {
        const char *image;
        size_t descriptors;
    } cases[] = {
        {"boot.iso", 2},
        // The catalog is where the boot record points, also beside more than two descriptors.
        {"boot-level4.iso", 3},
    };
    for (const Case &c : cases) {
        IsoReader reader;
        ASSERT_TRUE(reader.open(testImage(c.image).c_str())) << c.image;
        EXPECT_EQ(c.descriptors, reader.descriptors.size()) << c.image;
        ASSERT_EQ(1u, reader.bootEntries.size()) << c.image;
        EXPECT_TRUE(reader.bootEntries[0].bootable) << c.image;
        EXPECT_EQ(4u, reader.bootEntries[0].sectorCount) << c.image;
        EXPECT_TRUE(reader.getChosenDescriptor()->isJoliet()) << c.image;
        EXPECT_NE(nullptr, child(reader, reader.root, "isolinux")) << c.image;
    }
}

TEST(IsoReader, FlaggedJolietDescriptorLeavesThePrimaryChosen) {
    ScratchFolder scratch;
    std::string path = copyOfTestImage(scratch, "basic.iso");
    std::uint64_t joliet = findDescriptor(readWholeFile(path), 2);
    ASSERT_NE(0u, joliet);
    writeFileAt(path, joliet + 7, "\x01");
    IsoReader reader;
    ASSERT_TRUE(reader.open(path.c_str()));
    EXPECT_EQ(0u, reader.chosenDescriptor);
    // Primary names read as UCS-2: every second byte of "USB".
    EXPECT_NE(nullptr, child(reader, reader.root, "S"));
}

TEST(IsoReader, LaterOfTwoJolietDescriptorsIsChosen) {
    IsoBuilder image;
    image.put(18 * 2048, IsoBuilder::descriptor(2, true, 22, 2048));
    image.put(19 * 2048, IsoBuilder::terminator());
    image.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2("first"), 30, 0, false)});
    image.directory(22, 22, {IsoBuilder::record(IsoBuilder::ucs2("second"), 30, 0, false)});
    IsoReader reader;
    ASSERT_TRUE(openCrafted(image, reader));
    EXPECT_EQ(2u, reader.chosenDescriptor);
    EXPECT_EQ(std::set<std::string>{"second"}, names(reader, reader.root));
}

TEST(IsoReader, BootRecordBetweenDescriptors) {
    struct Case {
        const char *what;
        std::string catalog;
        bool opens;
        size_t entries;
    } cases[] = {
        {"bootable entry", IsoBuilder::bootCatalog(0x88), true, 1},
        {"entry not bootable", IsoBuilder::bootCatalog(0x00), true, 1},
        {"unknown indicator", IsoBuilder::bootCatalog(0x44), true, 0},
        {"header id 0", IsoBuilder::bootCatalog(0x88, 0xAA, 0), true, 0},
        {"key bytes 0x55 0x00", IsoBuilder::bootCatalog(0x88, 0x00), false, 0},
    };
    for (const Case &c : cases) {
        IsoBuilder image;
        image.put(17 * 2048, IsoBuilder::bootRecord(40));
        image.put(18 * 2048, IsoBuilder::descriptor(2, true, 20, 2048));
        image.put(19 * 2048, IsoBuilder::terminator());
        image.put(40 * 2048, c.catalog);
        IsoReader reader;
        ASSERT_EQ(c.opens, openCrafted(image, reader)) << c.what;
        EXPECT_EQ(c.entries, reader.bootEntries.size()) << c.what;
        if (!c.opens)
            continue;
        // The boot record is no descriptor of the tree.
        EXPECT_EQ(2u, reader.descriptors.size()) << c.what;
        if (c.entries) {
            EXPECT_EQ(c.catalog[32] == char(0x88), reader.bootEntries[0].bootable) << c.what;
        }
    }
}

TEST(IsoReader, RefusesMalformedDescriptors) {
    struct Case {
        const char *what;
        std::function<void(IsoBuilder &)> spoil;
    } cases[] = {
        {"version 3", [](IsoBuilder &i) { i.putAt(17, 7, "\x03"); }},
        {"version 3 on the terminator", [](IsoBuilder &i) { i.putAt(18, 7, "\x03"); }},
        {"blank date digits", [](IsoBuilder &i) { i.putAt(16, 814, std::string(16, ' ')); }},
        {"unused bytes 73-80", [](IsoBuilder &i) { i.putAt(16, 75, "\x01"); }},
        {"reserved byte 883", [](IsoBuilder &i) { i.putAt(17, 883, "\x01"); }},
        {"reserved tail", [](IsoBuilder &i) { i.putAt(16, 2048, "\x01"); }},
        {"both-endian halves differ", [](IsoBuilder &i) { i.putAt(17, 125, "\x02"); }},
        {"block size 4096", [](IsoBuilder &i) { i.putAt(17, 129, std::string("\x00\x10\x10\x00", 4)); }},
        {"no CD001 before the terminator", [](IsoBuilder &i) { i.putAt(18, 2, "CD002"); }},
        {"no descriptor at all", [](IsoBuilder &i) { i.put(16 * 2048, IsoBuilder::terminator()); }},
        {"root record with an extended attribute record", [](IsoBuilder &i) { i.putAt(17, 158, "\x01"); }},
        {"file of exactly 2 MiB", [](IsoBuilder &i) { i.setSize(0x200000); }},
        {"descriptors never end inside the head copy",
         [](IsoBuilder &i) {
             for (std::uint64_t s = 18; s < 1024; ++s)
                 i.putAt(s, 1, std::string(1, char(3)) + "CD001\x01");
         }},
    };
    for (const Case &c : cases) {
        IsoBuilder image;
        c.spoil(image);
        IsoReader reader;
        EXPECT_FALSE(openCrafted(image, reader)) << c.what;
    }
}

TEST(IsoReader, DatesOfZeroBytesReadAsZero) {
    IsoBuilder image; // every date of the crafted descriptors is zero bytes
    IsoReader reader;
    ASSERT_TRUE(openCrafted(image, reader));
    EXPECT_EQ(0u, reader.descriptors[0].creation.year);
    EXPECT_EQ(0u, reader.descriptors[1].effective.month);
}

TEST(IsoReader, DirectoryRecordsAndZeroFill) {
    IsoBuilder image;
    std::string a = IsoBuilder::record(IsoBuilder::ucs2("a"), 30, 1, false);
    std::string b = IsoBuilder::record(IsoBuilder::ucs2("b"), 30, 1, false);
    // Zero bytes between records are passed over one by one.
    image.directory(20, 20, {a, std::string(9, '\0'), b});
    IsoReader reader;
    ASSERT_TRUE(openCrafted(image, reader));
    EXPECT_EQ((std::set<std::string>{"a", "b"}), names(reader, reader.root));

    // The directory ends once its recorded length is consumed: b lies beyond it.
    image.setRoot(17, 20, 34 + 34 + std::uint32_t(a.size()) + 9);
    ASSERT_TRUE(openCrafted(image, reader));
    EXPECT_EQ(std::set<std::string>{"a"}, names(reader, reader.root));

    // LEN_FI 2 needs a padding byte: 33 + 2 + 1 does not fit in a record of 35.
    std::string tooShort = IsoBuilder::record(IsoBuilder::ucs2("c"), 30, 1, false);
    tooShort[0] = 35;
    image.directory(20, 20, {tooShort});
    image.setRoot(17, 20, 2048);
    EXPECT_FALSE(openCrafted(image, reader));

    std::string attributes = a;
    attributes[1] = 1;
    image.directory(20, 20, {attributes});
    EXPECT_FALSE(openCrafted(image, reader));
}

TEST(IsoReader, NamesNarrowUcs2ToTheLowByte) {
    struct Case {
        std::string identifier;
        std::string name;
    } cases[] = {
        {std::string("\x00\x41\x00\x2E\x00\x62", 6), "A.b"},
        {std::string("\x00\x41\x00\x42\x00", 5), "AB"},
        {IsoBuilder::ucs2(u"a\u4E2Db"), "a-b"}, // loses a character, stays safe
        {IsoBuilder::ucs2(u"caf\u00E9"), "caf\xE9"},
        // Near the device names, but files.
        {IsoBuilder::ucs2(u"CONFIG"), "CONFIG"},
        {IsoBuilder::ucs2(u"com10"), "com10"},
        {IsoBuilder::ucs2(u"lpt0.txt"), "lpt0.txt"},
        {IsoBuilder::ucs2(u"x.nul"), "x.nul"},
        {IsoBuilder::ucs2(u"NU"), "NU"},
    };
    for (const Case &c : cases) {
        IsoBuilder image;
        image.directory(20, 20, {IsoBuilder::record(c.identifier, 30, 1, false)});
        IsoReader reader;
        ASSERT_TRUE(openCrafted(image, reader)) << c.name;
        EXPECT_EQ(std::set<std::string>{c.name}, names(reader, reader.root));
    }
}

TEST(IsoReader, RefusesNamesWindowsCannotCreateOrOpensAsDevices) {
    const std::u16string bad[] = {
        u"..",
        u".",
        u"a\uFF5C..",
        u"\u015C",
        u"x/y",
        u"\uFF0F",
        u"c:",
        u"tab\u0009",
        u"\u0100", // narrows to NUL; U+FF5C and U+015C narrow to a backslash
        // Names that Windows opens as devices in any folder: the data would go to a port.
        u"CON",
        u"nul.txt",
        u"Aux.tar.gz",
        u"prn ",
        u"COM1",
        u"lpt9.log",
        u"com\u00B9",
        u"LPT1 .x",
        u"CONIN$",
        u"conout$.txt",
        u"Conin$ .log",
        u"CONOUT$ ",
        u"conin$.",
        // Characters Windows refuses in a name, written or narrowed from a wider one.
        u"a<b",
        u"a>b",
        u"a\"b",
        u"a|b",
        u"a?b",
        u"a*b",
        u"\u013C",
        u"\u013E",
        u"x\u0122",
        u"\u017C",
        u"what\u013F",
        u"\u012A.txt",
        // Left empty once trailing dots and spaces are dropped.
        u"...",
        u" ",
        u". .",
        u"  ..",
    };
    const auto name = Common::IsoRefusal::UnwritableName;
    for (const std::u16string &unsafe : bad) {
        IsoBuilder image;
        image.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2(unsafe), 30, 1, false)});
        IsoReader reader;
        EXPECT_FALSE(openCrafted(image, reader, name)) << IsoBuilder::ucs2(unsafe);
    }
    // A one-byte identifier narrows to the empty name.
    IsoBuilder image;
    image.directory(20, 20, {IsoBuilder::record("A", 30, 1, false)});
    IsoReader reader;
    EXPECT_FALSE(openCrafted(image, reader, name));

    // Folders, and names deep in the tree, are checked alike.
    using B = IsoBuilder;
    const std::vector<B::Entry> trees[] = {
        {B::folder(u"a|b", {})},
        {B::folder(u". ", {B::file(u"f", "f")})},
        {B::folder(u"ok", {B::folder(u"fine", {B::file(u"conout$", "x")})})},
        {B::folder(u"ok", {B::file(u"fine", "f"), B::file(u"why?", "x")})},
    };
    for (const std::vector<B::Entry> &tree : trees) {
        IsoBuilder crafted;
        crafted.tree(tree);
        EXPECT_FALSE(openCrafted(crafted, reader, name)) << IsoBuilder::ucs2(tree[0].name);
    }
    // The reason of one open is not the next one's.
    IsoBuilder sound;
    sound.tree({B::folder(u"ok", {B::folder(u"fine", {B::file(u"conout", "x")}), B::file(u"why", "x")})});
    EXPECT_TRUE(openCrafted(sound, reader));

    // A name refused is the reason, also when the image has a fault the reader would meet later:
    // here a boot catalog whose key bytes are wrong.
    IsoBuilder alsoBroken;
    alsoBroken.put(17 * 2048, IsoBuilder::bootRecord(40));
    alsoBroken.put(18 * 2048, IsoBuilder::descriptor(2, true, 20, 2048));
    alsoBroken.put(19 * 2048, IsoBuilder::terminator());
    alsoBroken.put(40 * 2048, IsoBuilder::bootCatalog(0x88, 0x00));
    alsoBroken.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2(u"\u307C.txt"), 30, 1, false)});
    EXPECT_FALSE(openCrafted(alsoBroken, reader, name));
}

// ISO level 3 records a file of 4 GiB or more as several records of one name, each but the last
// marked as not final. Taken for twins, only the last extent would be copied and the copy would
// report success: the image is refused, with its own reason.
TEST(IsoReader, RefusesAFileInSeveralExtents) {
    using B = IsoBuilder;
    const std::string first = B::notFinal(B::record(B::ucs2("huge.bin"), 30, 2048, false));
    const std::string last = B::record(B::ucs2("huge.bin"), 31, 100, false);
    struct Case {
        const char *what;
        std::vector<std::string> root;
        std::vector<std::string> folder; // the records of folder "big", sector 21
        bool opens;
    } cases[] = {
        {"in the root", {first, last}, {}, false},
        {"in a folder",
         {B::record(B::ucs2("big"), 21, 2048, true)},
         {B::record(B::ucs2("a"), 30, 1, false), first, last},
         false},
        {"one extent each", {B::record(B::ucs2("huge.bin"), 30, 2048, false), last}, {}, true},
    };
    for (const Case &c : cases) {
        IsoBuilder image;
        image.directory(20, 20, c.root);
        image.directory(21, 20, c.folder);
        IsoReader reader;
        EXPECT_EQ(c.opens, openCrafted(image, reader,
                                       c.opens ? Common::IsoRefusal::None : Common::IsoRefusal::FileTooLarge))
            << c.what;
    }
}

// A chain of directories, one in the other, levels deep below the root.
void nest(IsoBuilder &image, std::uint32_t levels) {
    for (std::uint32_t level = 0; level < levels; ++level)
        image.directory(20 + level, 20, {IsoBuilder::record(IsoBuilder::ucs2("d"), 21 + level, 2048, true)});
    image.directory(20 + levels, 20, {});
}

TEST(IsoReader, RefusesDirectoriesThatLeadBackOrNestTooDeep) {
    struct Case {
        const char *what;
        std::function<void(IsoBuilder &)> build;
        bool opens;
    } cases[] = {
        {"subdirectory whose extent is the root",
         [](IsoBuilder &i) {
             i.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2("loop"), 20, 2048, true)});
         },
         false},
        {"subdirectory pointing into its parent's sector",
         [](IsoBuilder &i) {
             i.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2("d"), 21, 2048, true)});
             i.directory(21, 20, {IsoBuilder::record(IsoBuilder::ucs2("up"), 20, 100, true)});
         },
         false},
        {"two records of one directory",
         [](IsoBuilder &i) {
             i.directory(20, 20,
                         {IsoBuilder::record(IsoBuilder::ucs2("d1"), 21, 2048, true),
                          IsoBuilder::record(IsoBuilder::ucs2("d2"), 21, 2048, true)});
             i.directory(21, 20, {});
         },
         false},
        {"64 levels below the root", [](IsoBuilder &i) { nest(i, 64); }, true},
        {"65 levels below the root", [](IsoBuilder &i) { nest(i, 65); }, false},
        {"directory past the head copy",
         [](IsoBuilder &i) {
             i.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2("far"), 1100, 2048, true)});
         },
         false},
        {"directory running past the head copy",
         [](IsoBuilder &i) {
             i.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2("far"), 1023, 4096, true)});
         },
         false},
        {"boot catalog past the head copy",
         [](IsoBuilder &i) {
             i.put(17 * 2048, IsoBuilder::bootRecord(1024));
             i.put(18 * 2048, IsoBuilder::descriptor(2, true, 20, 2048));
             i.put(19 * 2048, IsoBuilder::terminator());
             i.put(1024 * 2048, IsoBuilder::bootCatalog(0x88));
         },
         false},
    };
    for (const Case &c : cases) {
        IsoBuilder image;
        c.build(image);
        IsoReader reader;
        EXPECT_EQ(c.opens, openCrafted(image, reader)) << c.what;
    }
}

TEST(IsoReader, SuspSpEntryOfTheRootsFirstRecord) {
    const std::string sp("SP\x07\x01\xBE\xEF", 6);
    struct Case {
        std::string systemUse;
        bool present;
        std::uint64_t skip;
    } cases[] = {
        {sp + "\x05", true, 5},
        {std::string(14, 'X') + sp + "\x03", true, 3}, // behind CD-ROM XA information
        {"SP\x07\x01\xBE\xEE\x05", false, 0},
        {sp, false, 0}, // no LEN_SKP byte
    };
    for (const Case &c : cases) {
        IsoBuilder image;
        std::string self = IsoBuilder::record(std::string(1, '\0'), 20, 2048, true, c.systemUse);
        std::string parent = IsoBuilder::record(std::string(1, '\1'), 20, 2048, true);
        image.put(20 * 2048, self + parent);
        IsoReader reader;
        ASSERT_TRUE(openCrafted(image, reader)) << c.systemUse;
        EXPECT_EQ(c.present, bool(reader.suspPresent)) << c.systemUse;
        EXPECT_EQ(c.skip, reader.suspSkip) << c.systemUse;
    }
}

TEST(IsoReader, ReadDataStaysInsideTheImage) {
    IsoBuilder image;
    image.put(0x200000 + 10, "tail");
    IsoReader reader;
    ASSERT_TRUE(openCrafted(image, reader));
    Common::string out("untouched");
    EXPECT_TRUE(reader.readData(out, 0x200000 + 10, 4));
    EXPECT_EQ(Common::string("tail"), out);
    EXPECT_FALSE(reader.readData(out, image.size() - 2, 3));
    EXPECT_FALSE(reader.readData(out, image.size() + 4096, 1));
    EXPECT_TRUE(out.empty());
}

} // namespace
