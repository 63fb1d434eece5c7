// Tests of the Common::Filesystem functions on real folders and files, and of the star patterns.
#include "common/Filesystem.h"

#include "common/Streams.h"
#include "common/os/FileStream.h"
#include "common/os/HostPath.h"
#include "support/ReadOnly.h"
#include "support/ScratchFolder.h"
#include "support/WindowsPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fsys = Common::Filesystem;
namespace fs = std::filesystem;
using Common::string;

std::string bytes(const string &s) { return std::string(s.c_str(), s.length()); }

std::vector<std::string> inOrder(const Common::list<string> &l) {
    std::vector<std::string> out;
    for (Common::list<string>::const_iterator it = l.begin(); it != l.end(); ++it)
        out.push_back(bytes(*it));
    return out;
}

// Listings come in the platform's order, which differs between hosts.
std::vector<std::string> sorted(const Common::list<string> &l) {
    std::vector<std::string> out = inOrder(l);
    std::sort(out.begin(), out.end());
    return out;
}

// A path below the scratch folder in the library's syntax.
string at(const ScratchFolder &dir, const std::string &relative = "") {
    return string(windowsPath(relative.empty() ? dir.path() : dir / relative).c_str());
}

// A drive letter that names no drive.
std::string missingDrive() {
#ifdef _WIN32
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter)
        if (!(drives & (1u << (letter - 'A'))))
            return std::string(1, letter) + ":";
    return "";
#else
    return "Q:"; // no folder Q under the drive root, which the tests leave at a fresh folder
#endif
}

TEST(FilesystemTest, AppendTrailingBackslashChangesTheCallersString) {
    struct Case {
        const char *path;
        const char *after;
    } cases[] = {{"C:\\dir", "C:\\dir\\"}, {"C:\\dir\\", "C:\\dir\\"}, {"", "\\"}, {"C:/dir/", "C:/dir/\\"}};
    for (const Case &c : cases) {
        string path(c.path);
        string copy = path;
        string result = fsys::appendTrailingBackslash(path);
        EXPECT_EQ(bytes(path), c.after) << c.path;
        EXPECT_EQ(bytes(result), c.after) << c.path;
        EXPECT_EQ(bytes(copy), c.path) << "a copy of the caller's string is not changed";
    }
}

TEST(FilesystemTest, CollapseTurnsEachPairOfBackslashesIntoOne) {
    struct Case {
        const char *path;
        const char *collapsed;
    } cases[] = {
        {"C:\\\\x", "C:\\x"},
        {"a\\\\\\b", "a\\\\b"},
        {"a\\\\\\\\b", "a\\\\b"},
        {"a\\b//c", "a\\b//c"},
        {"", ""},
        {"\\", "\\"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bytes(fsys::collapseBackslashes(c.path)), c.collapsed) << c.path;
}

TEST(FilesystemTest, TestsOnPaths) {
    ScratchFolder dir;
    dir.write("five.txt", "12345");
    dir.write("empty.txt", "");
    fs::create_directory(dir / "sub");
    struct Case {
        string path;
        bool isDirectory;
        bool fileExists;
        Common::u64 size;
    } cases[] = {
        {"", true, false, 0},
        {at(dir, "five.txt"), false, true, 5},
        {at(dir, "empty.txt"), false, true, 0},
        {at(dir, "sub"), true, false, 0},
        {at(dir, "sub") + "\\", true, false, 0},
        {at(dir, "missing"), false, false, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(fsys::isDirectory(c.path), c.isDirectory) << bytes(c.path);
        EXPECT_EQ(fsys::fileExists(c.path), c.fileExists) << bytes(c.path);
        EXPECT_EQ(fsys::getFileSize(c.path), c.size) << bytes(c.path);
    }
}

TEST(FilesystemTest, RemainingStreamSizeLeavesThePosition) {
    ScratchFolder dir;
    dir.write("f", "abcdef");
    std::FILE *file = Common::Os::openFile(at(dir, "f").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::fgetc(file);
    std::fgetc(file);
    EXPECT_EQ(fsys::getRemainingStreamSize(file), 4u);
    EXPECT_EQ(std::fgetc(file), 'c');
    std::fclose(file);
    EXPECT_EQ(fsys::getRemainingStreamSize(nullptr), 0u);
}

TEST(FilesystemTest, DeleteFileCollapsesDoubledBackslashesAndKeepsReadOnlyFiles) {
    ScratchFolder dir;
    dir.write("x.txt", "x");
    dir.write("ro.txt", "r");
    makeReadOnly(dir / "ro.txt");
    EXPECT_TRUE(fsys::deleteFile(at(dir) + "\\\\x.txt"));
    EXPECT_FALSE(dir.exists("x.txt"));
    EXPECT_FALSE(fsys::deleteFile(at(dir, "x.txt")));
    EXPECT_FALSE(fsys::deleteFile(at(dir, "ro.txt")));
    EXPECT_TRUE(dir.exists("ro.txt"));
}

TEST(FilesystemTest, CreateDirectoryTreeMakesEveryMissingLevel) {
    ScratchFolder dir;
    EXPECT_TRUE(fsys::createDirectoryTree(at(dir) + "/a/b//c"));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    // Existing, with or without a trailing separator: true, nothing new.
    EXPECT_TRUE(fsys::createDirectoryTree(at(dir, "a/b")));
    EXPECT_TRUE(fsys::createDirectoryTree(at(dir) + "\\a\\b\\c\\"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "a/b"), fs::directory_iterator()), 1);
}

TEST(FilesystemTest, CreateDirectoryTreeStopsWhereALevelCannotBeMade) {
    ScratchFolder dir;
    dir.write("file", "x");
    EXPECT_FALSE(fsys::createDirectoryTree(at(dir, "file/sub/deeper")));
    EXPECT_TRUE(fs::is_regular_file(dir / "file"));
    std::string drive = missingDrive();
#ifndef _WIN32
    Common::Os::setDriveRoot(dir.path().c_str());
#endif
    ASSERT_FALSE(drive.empty());
    EXPECT_FALSE(fsys::createDirectoryTree((drive + "\\a\\b").c_str()));
#ifndef _WIN32
    EXPECT_FALSE(dir.exists("Q"));
    Common::Os::setDriveRoot(".");
#endif
}

#ifndef _WIN32
TEST(FilesystemTest, DriveLettersAreFoldersUnderTheDriveRootOnThisHost) {
    ScratchFolder dir;
    fs::create_directory(dir / "D");
    Common::Os::setDriveRoot(dir.path().c_str());
    EXPECT_TRUE(fsys::createDirectoryTree("D:/a/b/c"));
    EXPECT_TRUE(fs::is_directory(dir / "D/a/b/c"));
    dir.write("D/x.txt", "x");
    EXPECT_TRUE(fsys::deleteFile("d:\\\\x.txt"));
    EXPECT_FALSE(dir.exists("D/x.txt"));
    Common::Os::setDriveRoot(".");
}
#endif

TEST(FilesystemTest, RemoveDirectoryRemovesOnlyEmptyFolders) {
    ScratchFolder dir;
    dir.write("full/f", "x");
    fs::create_directory(dir / "empty");
    EXPECT_FALSE(fsys::removeDirectory(at(dir, "full")));
    EXPECT_TRUE(dir.exists("full/f"));
    EXPECT_TRUE(fsys::removeDirectory(at(dir) + "\\\\empty\\"));
    EXPECT_FALSE(dir.exists("empty"));
    EXPECT_FALSE(fsys::removeDirectory(at(dir, "missing")));
}

TEST(FilesystemTest, ListingsSeparateFoldersFromFiles) {
    ScratchFolder dir;
    dir.write("a.txt", "");
    dir.write(".hidden", "");
    dir.write("s1/inner.txt", "");
    fs::create_directory(dir / "s2");
    EXPECT_EQ(sorted(fsys::listFiles(at(dir))), (std::vector<std::string>{".hidden", "a.txt"}));
    EXPECT_EQ(sorted(fsys::listSubdirectories(at(dir) + "\\")), (std::vector<std::string>{"s1", "s2"}));
    EXPECT_TRUE(inOrder(fsys::listFiles(at(dir, "missing"))).empty());
    EXPECT_TRUE(inOrder(fsys::listSubdirectories(at(dir, "a.txt"))).empty());
    EXPECT_TRUE(inOrder(fsys::listSubdirectories(at(dir, "s2"))).empty());
}

TEST(FilesystemTest, DeleteTreeDeletesFilesAndWholeFolders) {
    ScratchFolder dir;
    dir.write("lone.txt", "x");
    dir.write("tree/a.txt", "a");
    dir.write("tree/s/b.txt", "b");
    dir.write("tree/s/t/c.txt", "c");
    fs::create_directory(dir / "tree/empty");
    EXPECT_TRUE(fsys::deleteTree(at(dir, "lone.txt")));
    EXPECT_FALSE(dir.exists("lone.txt"));
    EXPECT_TRUE(fsys::deleteTree(at(dir, "tree")));
    EXPECT_FALSE(dir.exists("tree"));
    EXPECT_FALSE(fsys::deleteTree(at(dir, "missing")));
}

TEST(FilesystemTest, DeleteTreeKeepsAReadOnlyFileAndTheFoldersThatHoldIt) {
    ScratchFolder dir;
    dir.write("tree/a.txt", "a");
    dir.write("tree/keep/ro.txt", "r");
    dir.write("tree/keep/other.txt", "o");
    dir.write("tree/gone/b.txt", "b");
    makeReadOnly(dir / "tree/keep/ro.txt");
    EXPECT_FALSE(fsys::deleteTree(at(dir, "tree")));
    EXPECT_TRUE(dir.exists("tree/keep/ro.txt"));
    EXPECT_FALSE(dir.exists("tree/keep/other.txt"));
    EXPECT_FALSE(dir.exists("tree/gone"));
    EXPECT_FALSE(dir.exists("tree/a.txt"));
}

#ifndef _WIN32
TEST(FilesystemTest, DeleteTreeOfTheEmptyPathTouchesNothing) {
    // The empty path must never reach the listing, where it would become the root. Should it ever
    // do so, the root it reaches is a scratch folder: the call runs in a child jailed there.
    ScratchFolder dir;
    dir.write("f.txt", "x");
    dir.write("sub/g.txt", "y");
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (chroot(dir.path().c_str()) != 0 || chdir("/") != 0)
            _exit(2);
        _exit(fsys::deleteTree("") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no chroot here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "deleteTree(\"\") must give false";
    EXPECT_TRUE(dir.exists("f.txt"));
    EXPECT_TRUE(dir.exists("sub/g.txt"));
}
#endif

TEST(FilesystemTest, StoredNameDropsTrailingDotsAndSpaces) {
    const struct {
        const char *name;
        const char *stored;
    } cases[] = {
        {"a.txt", "a.txt"},
        {"a.txt.", "a.txt"},
        {"a.txt ", "a.txt"},
        {"a.txt. .", "a.txt"},
        {"x..y", "x..y"},
        {" lead", " lead"},
        {".hidden", ".hidden"},
        {"...", ""},
        {" ", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(std::string(c.stored), fsys::storedName(c.name).c_str()) << "[" << c.name << "]";
#ifdef _WIN32
    // The platform itself stores a file created under each name by that name.
    for (const auto &c : cases) {
        if (!*c.stored)
            continue;
        ScratchFolder scratch;
        std::FILE *file = Common::Os::openFile((scratch.path() + "\\" + c.name).c_str(), "wb");
        ASSERT_NE(nullptr, file) << "[" << c.name << "]";
        std::fclose(file);
        std::vector<std::string> listed;
        for (const auto &entry : fs::directory_iterator(scratch.path()))
            listed.push_back(entry.path().filename().string());
        EXPECT_EQ(std::vector<std::string>{c.stored}, listed) << "[" << c.name << "]";
    }
#endif
}

TEST(FilesystemTest, ParseWildcardSplitsTheLastComponent) {
    struct Case {
        const char *path;
        bool isPattern;
        const char *prefix;
        std::vector<std::string> middle;
        const char *suffix;
    } cases[] = {
        {"C:\\boot\\*.cfg", true, "", {}, ".cfg"},
        {"C:\\a\\x*y*z", true, "x", {"y"}, "z"},
        {"C:\\a\\*", true, "", {}, ""},
        {"C:\\a\\**", true, "", {""}, ""},
        {"C:\\a\\a*b*c*d", true, "a", {"b", "c"}, "d"},
        {"C:/boot\\*.cfg", true, "", {}, ".cfg"},
        {"C:\\a\\?.cfg*", true, "?.cfg", {}, ""},
        {"*.cfg", false, "", {}, ""},
        {"C:/a/*.cfg", false, "", {}, ""},
        {"C:\\a*\\b", false, "", {}, ""},
        {"C:\\a\\b", false, "", {}, ""},
    };
    for (const Case &c : cases) {
        fsys::WildcardPattern p;
        p.prefix = "untouched";
        EXPECT_EQ(fsys::parseWildcard(c.path, p), c.isPattern) << c.path;
        if (!c.isPattern) {
            EXPECT_EQ(bytes(p.prefix), "untouched") << c.path;
            continue;
        }
        EXPECT_EQ(bytes(p.prefix), c.prefix) << c.path;
        EXPECT_EQ(inOrder(p.middle), c.middle) << c.path;
        EXPECT_EQ(bytes(p.suffix), c.suffix) << c.path;
    }
}

TEST(FilesystemTest, MatchesWildcardTestsPrefixSuffixAndMiddleApart) {
    struct Case {
        const char *pattern;
        const char *name;
        bool matches;
    } cases[] = {
        {"C:\\dir\\*.txt", "a.txt", true},
        {"C:\\dir\\*.txt", "a.txt.txt", true},
        {"C:\\dir\\*.txt", "txt", false},
        {"C:\\dir\\*.txt", "A.TXT", false},
        {"C:\\dir\\*.txt", ".txt", true},
        {"C:\\dir\\x*y*z", "xyz", true},
        {"C:\\dir\\x*y*z", "xAyBz", true},
        {"C:\\dir\\x*y*z", "xzy", false},
        {"C:\\dir\\*b*b*", "abcb", true},
        {"C:\\dir\\*b*b*", "abc", false},
        {"C:\\dir\\ab*ba", "aba", true},
        {"C:\\dir\\ab*ba", "ab", false},
        {"C:\\dir\\*", "", true},
        {"C:\\dir\\x*yz*z", "xyz", true},
        {"C:\\dir\\isolinux*", "isolinux.cfg", true},
    };
    for (const Case &c : cases) {
        fsys::WildcardPattern p;
        ASSERT_TRUE(fsys::parseWildcard(c.pattern, p)) << c.pattern;
        EXPECT_EQ(fsys::matchesWildcard(c.name, p), c.matches) << c.pattern << " " << c.name;
    }
    // The default pattern lets every name through.
    EXPECT_TRUE(fsys::matchesWildcard("anything", fsys::WildcardPattern()));
}

TEST(FilesystemTest, ReadFileToString) {
    ScratchFolder dir;
    dir.write("empty", "");
    dir.write("zeros", std::string("a\0b\r\n", 5));
    string out("kept");
    EXPECT_FALSE(fsys::readFileToString(at(dir, "missing"), out));
    EXPECT_EQ(bytes(out), "kept");
    EXPECT_FALSE(fsys::readFileToString(at(dir), out));
    EXPECT_EQ(bytes(out), "kept");
    EXPECT_TRUE(fsys::readFileToString(at(dir, "zeros"), out));
    EXPECT_EQ(bytes(out), std::string("a\0b\r\n", 5));
    EXPECT_TRUE(fsys::readFileToString(at(dir, "empty"), out));
    EXPECT_EQ(bytes(out), "");
}

TEST(FilesystemTest, ReadFileToStringRefusesFourGibibytes) {
    ScratchFolder dir;
    dir.write("huge", "");
    // Sparse: no disk space is used, and nothing is read.
    fs::resize_file(dir / "huge", Common::InputStream::readAllLimit);
    string out("kept");
    EXPECT_FALSE(fsys::readFileToString(at(dir, "huge"), out));
    EXPECT_EQ(bytes(out), "kept");
}

} // namespace
