// The image copy command: files, folder trees and star patterns out of an image onto disk.
#include "TestImages.h"
#include "common/IsoImage.h"
#include "support/IsoBuilder.h"
#include "support/WindowsPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using Common::IsoImage;
namespace Fs = Common::Filesystem;

namespace {

// The names a disk folder lists, as stored; none when it cannot be listed.
std::set<std::string> namesIn(const std::string &folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

class IsoImageCopy : public ::testing::Test {
  protected:
    IsoImageCopy() : image(testImage("basic.iso").c_str()) {}

    // A disk path below the scratch folder, in the Windows syntax the command takes.
    std::string disk(const std::string &relative = "") const {
        std::string p = scratch / relative;
        for (char &c : p)
            if (c == '/')
                c = '\\';
        return p;
    }
    Fs::CopyResult copy(const std::string &source, const std::string &destination) {
        return image.copy(source.c_str(), destination.c_str());
    }

    ScratchFolder scratch;
    IsoImage image;
};

TEST_F(IsoImageCopy, WholeImageIntoAnExistingOrANewFolder) {
    ASSERT_TRUE(image.isOpen());
    for (const char *into : {"", "multi\\"}) {
        std::string root = disk() + "\\" + into;
        ASSERT_EQ(Fs::CopySucceeded, copy("/", root)) << into;
        std::string base = std::string(into);
        EXPECT_EQ("<cd_definition/>\n", scratch.read(base + "usb/usbcreator.xml")) << into;
        EXPECT_EQ("deep\n", scratch.read(base + "docs/deep/alpha/beta/gamma/file.txt")) << into;
        EXPECT_EQ("inner\n", scratch.read(base + "isolinux/sub.cfg/inner.txt")) << into;
        EXPECT_EQ("readme\n", scratch.read(base + "README.TXT")) << into;
        EXPECT_TRUE(scratch.exists(base + "emptydir")) << into;
        EXPECT_TRUE(scratch.exists(base + "empty.txt")) << into;
        EXPECT_EQ(2688895u, scratch.read(base + "filler.bin").size()) << into;
    }
}

// Names of one folder equal but for case land once, not twice into one file of a case-blind disk:
// of Case.txt and case.TXT the later, of the folders docs/Pair and docs/pair one folder holding
// both folders' files.
TEST_F(IsoImageCopy, NamesEqualButForCaseLandOnce) {
    ASSERT_EQ(Fs::CopySucceeded, copy("/", disk() + "\\"));
    struct Case {
        const char *folder;
        const char *name;
        const char *content;
    } cases[] = {
        {"", "case.txt", "lower\n"},
        {"docs", "pair", nullptr},
        {"docs/pair", "lower.txt", "lower\n"},
        {"docs/pair", "upper.txt", "upper\n"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> found;
        for (const auto &entry : std::filesystem::directory_iterator(scratch / c.folder)) {
            std::string name = entry.path().filename().string();
            std::transform(name.begin(), name.end(), name.begin(),
                           [](char ch) { return char(std::tolower(ch)); });
            if (name == c.name)
                found.push_back(entry.path().filename().string());
        }
        ASSERT_EQ(1u, found.size()) << c.folder << "/" << c.name;
        if (c.content) {
            EXPECT_EQ(c.content, scratch.read(std::string(c.folder) + "/" + found[0]))
                << c.folder << "/" << c.name;
        }
    }

    // A pattern that selects only the earlier folder copies that folder's own files.
    scratch.write("selected/kept", "");
    EXPECT_EQ(Fs::CopySucceeded, copy("\\docs\\P*", disk("selected")));
    EXPECT_EQ((std::set<std::string>{"upper.txt"}), namesIn(scratch / "selected/Pair"));
    EXPECT_EQ("upper\n", scratch.read("selected/Pair/upper.txt"));
}

// A crafted image written into a scratch folder and opened, and a key folder to copy it into.
class CraftedImageCopy : public ::testing::Test {
  protected:
    void open(const std::vector<IsoBuilder::Entry> &entries) {
        IsoBuilder crafted;
        crafted.tree(entries);
        crafted.write(scratch / "crafted.iso");
        image = IsoImage((scratch / "crafted.iso").c_str());
        std::filesystem::create_directory(scratch / "key");
    }
    std::string key() const { return windowsPath(scratch / "key"); }
    std::set<std::string> onKey(const std::string &folder = "") const {
        return namesIn(scratch / ("key/" + folder));
    }
    std::string read(const std::string &onKey) const { return scratch.read("key/" + onKey); }

    ScratchFolder scratch;
    IsoImage image{""};
};

// Windows drops trailing dots and spaces from a path step and ignores case, so each group below is
// one name on the key. Folders alone merge; where a file is among them, exactly one entry lands,
// whole: the later in the folder's order.
TEST_F(CraftedImageCopy, NamesWindowsStoresAsOneLandOnceWhole) {
    using B = IsoBuilder;
    open({
        B::folder(u"sp ", {B::file(u"early.txt", "early\n")}),
        B::folder(u"SP.", {B::file(u"late.txt", "late\n")}),
        B::folder(u"dir. ", {B::file(u"inner.txt", "inner\n"), B::folder(u"deeper..", {B::file(u"x", "x")})}),
        B::file(u"a.txt", "1"),
        B::file(u"a.txt.", "2"),
        B::file(u"a.txt ", "3"),
        B::file(u"A.TXT", "4"), // equal but for case: also the one lookups find
        B::file(u"b.txt", "5"),
        B::file(u"B.TXT", "6"),
        B::file(u"b.txt. .", "7"),
        B::folder(u"k", {B::file(u"lost.txt", "lost")}),
        B::file(u"K .", "8"), // a file after a folder of its name
        B::file(u"m", "lost"),
        B::folder(u"M.", {B::file(u"kept.txt", "kept")}),
    });
    ASSERT_TRUE(image.isOpen());
    EXPECT_EQ(Fs::CopySucceeded, image.copy("/", key().c_str()));
    EXPECT_EQ((std::set<std::string>{"SP", "dir", "A.TXT", "b.txt", "K", "M"}), onKey());
    EXPECT_EQ((std::set<std::string>{"early.txt", "late.txt"}), onKey("SP"));
    EXPECT_EQ("early\n", read("SP/early.txt"));
    EXPECT_EQ("late\n", read("SP/late.txt"));
    EXPECT_EQ((std::set<std::string>{"inner.txt", "deeper"}), onKey("dir"));
    EXPECT_EQ("inner\n", read("dir/inner.txt"));
    EXPECT_EQ("x", read("dir/deeper/x"));
    EXPECT_EQ("4", read("A.TXT"));
    EXPECT_EQ("7", read("b.txt"));
    EXPECT_EQ("8", read("K"));
    EXPECT_EQ(std::set<std::string>{"kept.txt"}, onKey("M"));

    // A pattern selects among the names it matches; a single file into a folder lands by the name
    // Windows stores.
    ScratchFolder other;
    EXPECT_EQ(Fs::CopySucceeded, image.copy("\\a*", windowsPath(other.path()).c_str()));
    EXPECT_EQ(std::set<std::string>{"a.txt"}, namesIn(other.path()));
    EXPECT_EQ("3", other.read("a.txt"));
    EXPECT_EQ(Fs::CopySucceeded, image.copy("/b.txt. .", windowsPath(other.path()).c_str()));
    EXPECT_EQ((std::set<std::string>{"a.txt", "b.txt"}), namesIn(other.path()));
    EXPECT_EQ("7", other.read("b.txt"));
}

// Twin folders become one folder, as copying the disc from a drive makes it: named as the later
// twin is stored, holding the earlier twin's entries and then the later's, with the twin rule
// applied again inside, at every depth.
TEST_F(CraftedImageCopy, TwinFoldersMergeAtEveryDepth) {
    using B = IsoBuilder;
    open({
        B::folder(u"DIR.",
                  {B::file(u"early.txt", "early"), B::file(u"both.txt", "both from DIR."),
                   B::folder(u"sub", {B::file(u"a", "a"),
                                      B::folder(u"Inner", {B::file(u"x", "early x"), B::file(u"e", "e")})})}),
        B::folder(u"plain",
                  {B::folder(u"T", {B::file(u"one", "1")}), B::folder(u"t.", {B::file(u"two", "2")})}),
        B::folder(u"dir", {B::file(u"late.txt", "late"), B::file(u"BOTH.TXT", "both from dir"),
                           B::folder(u"SUB ",
                                     {B::file(u"b", "b"), B::folder(u"inner.", {B::file(u"X", "late x")})})}),
    });
    ASSERT_TRUE(image.isOpen());
    auto expectMerged = [this](const std::string &key) {
        EXPECT_EQ((std::set<std::string>{"dir", "plain"}), onKey(key));
        EXPECT_EQ((std::set<std::string>{"early.txt", "late.txt", "BOTH.TXT", "SUB"}), onKey(key + "dir"));
        EXPECT_EQ("early", read(key + "dir/early.txt"));
        EXPECT_EQ("late", read(key + "dir/late.txt"));
        EXPECT_EQ("both from dir", read(key + "dir/BOTH.TXT"));
        EXPECT_EQ((std::set<std::string>{"a", "b", "inner"}), onKey(key + "dir/SUB"));
        EXPECT_EQ((std::set<std::string>{"X", "e"}), onKey(key + "dir/SUB/inner"));
        EXPECT_EQ("late x", read(key + "dir/SUB/inner/X"));
        EXPECT_EQ("e", read(key + "dir/SUB/inner/e"));
        EXPECT_EQ(std::set<std::string>{"t"}, onKey(key + "plain"));
        EXPECT_EQ((std::set<std::string>{"one", "two"}), onKey(key + "plain/t"));
    };
    ASSERT_EQ(Fs::CopySucceeded, image.copy("/", key().c_str()));
    expectMerged("");

    // A star pattern merges the twins it selects, and only those: "d*" does not match "DIR.".
    std::filesystem::create_directories(scratch / "key/all");
    std::filesystem::create_directories(scratch / "key/some");
    ASSERT_EQ(Fs::CopySucceeded, image.copy("\\*", (key() + "\\all").c_str()));
    expectMerged("all/");
    ASSERT_EQ(Fs::CopySucceeded, image.copy("\\d*", (key() + "\\some").c_str()));
    EXPECT_EQ((std::set<std::string>{"late.txt", "BOTH.TXT", "SUB"}), onKey("some/dir"));
    EXPECT_EQ((std::set<std::string>{"b", "inner"}), onKey("some/dir/SUB"));

    // The earlier twin's entries come first: a file of it that cannot be written stops the copy
    // before any file of the later twin.
    ScratchFolder blocked;
    blocked.write("dir/early.txt/placeholder", "");
    EXPECT_EQ(Fs::CopyDestinationUnwritable, image.copy("/", windowsPath(blocked.path()).c_str()));
    EXPECT_TRUE(blocked.exists("dir/SUB/inner/X")); // folders before files
    EXPECT_FALSE(blocked.exists("dir/late.txt"));
}

// Names near the ones Windows cannot create or opens as devices: the image opens, and each name is
// made on the disk as it is, with its own bytes.
TEST_F(CraftedImageCopy, NearNamesOpenAndLandAsTheyAre) {
    const std::u16string near[] = {
        u"CONIN",      u"CONOUT",   u"CONIN$X", u"xCONOUT$", u"conin$x.txt", u"x.conout$",  u"CON$",
        u"com10",      u"lpt0.txt", u"a=b;c,d", u"a[b]+c",   u"a'b`c",       u"a#b%c&d",    u"a^b~c{d}",
        u"a!b@c$",     u"a b",      u"x..y",    u".lead",    u" lead",       u"\u013D.txt", // narrows to "="
        u"\u0140home",                                                                      // narrows to "@"
    };
    std::vector<IsoBuilder::Entry> entries;
    std::set<std::string> expected;
    for (const std::u16string &name : near) {
        std::string narrow;
        for (char16_t c : name)
            narrow += char(c & 0xFF);
        entries.push_back(IsoBuilder::file(name, narrow + "\n"));
        expected.insert(narrow);
    }
    entries.push_back(IsoBuilder::folder(u"a$b c", {IsoBuilder::file(u"in", "in")}));
    expected.insert("a$b c");
    open(entries);
    ASSERT_TRUE(image.isOpen());
    ASSERT_EQ(Fs::CopySucceeded, image.copy("/", key().c_str()));
    EXPECT_EQ(expected, onKey());
    for (const std::string &name : expected)
        if (name != "a$b c") {
            EXPECT_EQ(name + "\n", read(name)) << name;
        }
    EXPECT_EQ("in", read("a$b c/in"));
}

TEST_F(IsoImageCopy, OneFileIntoAFolderOrOntoAFile) {
    EXPECT_EQ(Fs::CopySucceeded, copy("usb/usbcreator.xml", disk() + "\\"));
    EXPECT_EQ("<cd_definition/>\n", scratch.read("usbcreator.xml"));
    EXPECT_EQ(Fs::CopySucceeded, copy("\\usb\\\\usbcreator.xml", disk("def.xml")));
    EXPECT_EQ(Fs::CopySucceeded, copy("usb/usbcreator.xml", disk("def.xml")));
    EXPECT_EQ("<cd_definition/>\n<cd_definition/>\n", scratch.read("def.xml"));
}

TEST_F(IsoImageCopy, StarPatternSelectsTopLevelEntries) {
    scratch.write("boot/keep.txt", "kept");
    EXPECT_EQ(Fs::CopySucceeded, copy("\\isolinux\\*.cfg", disk("boot")));
    EXPECT_EQ("default linux\n", scratch.read("boot/isolinux.cfg"));
    EXPECT_EQ("menu\n", scratch.read("boot/syslinux.cfg"));
    EXPECT_EQ("inner\n", scratch.read("boot/sub.cfg/inner.txt")); // a matching folder comes whole
    EXPECT_FALSE(scratch.exists("boot/notes.txt"));
    EXPECT_FALSE(scratch.exists("boot/isolinux.bin"));
    EXPECT_EQ("kept", scratch.read("boot/keep.txt"));
}

TEST_F(IsoImageCopy, RefusalsChangeNothing) {
    scratch.write("x.txt", "x");
    struct Case {
        const char *source;
        std::string destination;
        Fs::CopyResult result;
    } cases[] = {
        {"usb", disk("x.txt"), Fs::CopyFolderOntoFile},
        {"\\isolinux\\*.cfg", disk("nothere"), Fs::CopyPatternWithoutFolder},
        {"usb/usbcreator.xml", disk("out\\*.txt"), Fs::CopyDestinationIsPattern},
        {"\\isolinux\\*.cfg", disk("out\\*.txt"), Fs::CopyDestinationIsPattern},
        {"isolinux/*.cfg", disk("new"), Fs::CopySourceMissing}, // no backslash: no pattern
        {"nosuchdir", disk("new"), Fs::CopySourceMissing},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.result, copy(c.source, c.destination)) << c.source << " to " << c.destination;
    EXPECT_EQ("x", scratch.read("x.txt"));
    EXPECT_FALSE(scratch.exists("nothere"));
    EXPECT_FALSE(scratch.exists("out"));
    EXPECT_FALSE(scratch.exists("new"));
}

TEST_F(IsoImageCopy, FirstFailureStopsTheWholeCopy) {
    // Folders come in directory order (docs, emptydir, isolinux, usb), then the top-level files.
    struct Case {
        const char *blocker; // a folder where a file must go, or a file where a folder must go
        bool blockerIsFolder;
        Fs::CopyResult result;
        const char *made;
        const char *notMade;
    } cases[] = {
        {"docs/deep/alpha/beta/gamma/file.txt", true, Fs::CopyDestinationUnwritable, "docs/deep", "emptydir"},
        {"isolinux", false, Fs::CopyFolderNotMade, "emptydir", "usb"},
    };
    for (const Case &c : cases) {
        ScratchFolder into;
        if (c.blockerIsFolder)
            into.write(std::string(c.blocker) + "/placeholder", "");
        else
            into.write(c.blocker, "");
        EXPECT_EQ(c.result, image.copy("/", into.path().c_str())) << c.blocker;
        EXPECT_TRUE(into.exists(c.made)) << c.blocker;
        EXPECT_FALSE(into.exists(c.notMade)) << c.blocker;
        EXPECT_FALSE(into.exists("README.TXT")) << c.blocker;
    }
}

} // namespace
