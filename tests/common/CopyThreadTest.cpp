// Tests of the tree copier on real folders: each result code, what lands where, and the counters.
#include "common/CopyThread.h"

#include "support/ReadOnly.h"
#include "support/ScratchFolder.h"
#include "support/WindowsPath.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fsys = Common::Filesystem;
namespace fs = std::filesystem;
using Common::string;
using fsys::CopyThread;

std::string bytes(const string &s) { return std::string(s.c_str(), s.length()); }

string at(const ScratchFolder &dir, const std::string &relative = "") {
    return string(windowsPath(relative.empty() ? dir.path() : dir / relative).c_str());
}

CopyThread::Status runCopy(const string &source, const string &destination) {
    CopyThread thread(source, destination);
    thread.run();
    CopyThread::Status status;
    return thread.getStatus(status);
}

// A file that is listed in its folder but cannot be opened for reading.
class UnreadableFile {
  public:
    UnreadableFile(const ScratchFolder &dir, const std::string &relative) {
#ifdef _WIN32
        dir.write(relative, "locked");
        // Held open without sharing: no other opener gets in.
        m_handle = CreateFileA((dir / relative).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(m_handle, INVALID_HANDLE_VALUE);
#else
        fs::create_symlink("no-such-target", dir / relative);
#endif
    }
    ~UnreadableFile() {
#ifdef _WIN32
        CloseHandle(m_handle);
#endif
    }

  private:
#ifdef _WIN32
    HANDLE m_handle;
#endif
};

TEST(CopyThreadTest, FileIntoAnExistingFolderReplacesItsNamesake) {
    ScratchFolder dir;
    dir.write("a/f.txt", "hello");
    dir.write("x/f.txt", "old contents");
    CopyThread::Status s = runCopy(at(dir, "a/f.txt"), at(dir, "x"));
    EXPECT_EQ(s.result, fsys::CopySucceeded);
    EXPECT_EQ(dir.read("x/f.txt"), "hello");
    EXPECT_EQ(s.totalFiles, 1u);
    EXPECT_EQ(s.filesCopied, 1u);
    EXPECT_EQ(s.totalBytes, 5u);
    EXPECT_EQ(s.bytesCopied, 5u);
    EXPECT_EQ(bytes(s.currentFile), "f.txt");
    EXPECT_EQ(dir.read("a/f.txt"), "hello");
}

TEST(CopyThreadTest, FileOntoAFileName) {
    ScratchFolder dir;
    dir.write("f.txt", "new");
    dir.write("empty", "");
    dir.write("old.txt", "old and longer");
    EXPECT_EQ(fsys::copy(at(dir, "f.txt"), at(dir, "old.txt")), fsys::CopySucceeded);
    EXPECT_EQ(dir.read("old.txt"), "new");
    EXPECT_EQ(fsys::copy(at(dir, "empty"), at(dir, "made")), fsys::CopySucceeded);
    EXPECT_TRUE(dir.exists("made"));
    EXPECT_EQ(dir.read("made"), "");

    // A file larger than one chunk arrives whole.
    std::string large(CopyThread::chunkLimit * 2 + 3, 'x');
    for (std::string::size_type i = 0; i < large.size(); i += 4093)
        large[i] = static_cast<char>(i);
    dir.write("large", large);
    CopyThread::Status s = runCopy(at(dir, "large"), at(dir, "large.copy"));
    EXPECT_EQ(s.result, fsys::CopySucceeded);
    EXPECT_EQ(s.bytesCopied, large.size());
    EXPECT_TRUE(dir.read("large.copy") == large);
}

TEST(CopyThreadTest, FolderTreeIntoExistingAndMissingFolders) {
    ScratchFolder dir;
    dir.write("src/a.txt", "a");
    dir.write("src/s/b.txt", "bb");
    dir.write("src/s/t/c.txt", "ccc");
    fs::create_directories(dir / "src/empty");
    fs::create_directory(dir / "dst");
    for (const char *target : {"dst", "new/dst"}) {
        CopyThread::Status s = runCopy(at(dir, "src"), at(dir, target));
        std::string t = target;
        EXPECT_EQ(s.result, fsys::CopySucceeded) << t;
        EXPECT_EQ(dir.read(t + "/a.txt"), "a") << t;
        EXPECT_EQ(dir.read(t + "/s/b.txt"), "bb") << t;
        EXPECT_EQ(dir.read(t + "/s/t/c.txt"), "ccc") << t;
        EXPECT_TRUE(fs::is_directory(dir / (t + "/empty"))) << t;
        EXPECT_FALSE(dir.exists(t + "/src")) << "the contents go in, not the folder itself";
        EXPECT_EQ(s.totalFiles, 3u);
        EXPECT_EQ(s.filesCopied, s.totalFiles);
        EXPECT_EQ(s.totalBytes, 6u);
        EXPECT_EQ(s.bytesCopied, s.totalBytes);
    }
}

TEST(CopyThreadTest, PatternSelectsTopLevelFilesAndWholeFolders) {
    ScratchFolder dir;
    dir.write("src/x.cfg", "x");
    dir.write("src/y.txt", "y");
    dir.write("src/d.cfg/inner.txt", "i");
    dir.write("src/e/z.cfg", "z");
    fs::create_directory(dir / "dst");
    CopyThread::Status s = runCopy(at(dir, "src") + "\\*.cfg", at(dir, "dst"));
    EXPECT_EQ(s.result, fsys::CopySucceeded);
    EXPECT_EQ(dir.read("dst/x.cfg"), "x");
    EXPECT_EQ(dir.read("dst/d.cfg/inner.txt"), "i");
    EXPECT_FALSE(dir.exists("dst/y.txt"));
    EXPECT_FALSE(dir.exists("dst/e"));
    EXPECT_EQ(s.totalFiles, 2u);
    EXPECT_EQ(s.filesCopied, 2u);
    // A missing folder behind the pattern selects nothing.
    EXPECT_EQ(fsys::copy(at(dir, "nothing") + "\\*.cfg", at(dir, "dst")), fsys::CopySucceeded);
}

std::string forwardSlashes(string path) {
    std::string out = bytes(path);
    for (char &c : out)
        if (c == '\\')
            c = '/';
    return out;
}

TEST(CopyThreadTest, ResultCodes) {
    struct Case {
        const char *what;
        std::function<string(const ScratchFolder &)> source;
        std::function<string(const ScratchFolder &)> destination;
        fsys::CopyResult result;
        std::function<void(const ScratchFolder &)> check;
    } cases[] = {
        {"file into a missing folder", [](auto &d) { return at(d, "f.txt"); },
         [](auto &d) { return at(d, "nofolder/f.txt"); }, fsys::CopyDestinationUnwritable,
         [](auto &d) { EXPECT_FALSE(d.exists("nofolder")); }},
        {"source with forward slashes only",
         [](auto &d) { return string(forwardSlashes(at(d, "f.txt")).c_str()); },
         [](auto &d) { return string(forwardSlashes(at(d, "folder")).c_str()); },
         fsys::CopyDestinationUnwritable, [](auto &d) { EXPECT_FALSE(d.exists("folder/f.txt")); }},
        {"read-only destination file", [](auto &d) { return at(d, "f.txt"); },
         [](auto &d) { return at(d, "readonly.txt"); }, fsys::CopyDestinationUnwritable,
         [](auto &d) { EXPECT_EQ(d.read("readonly.txt"), "ro"); }},
        {"folder where a file is", [](auto &d) { return at(d, "folder"); },
         [](auto &d) { return at(d, "f.txt"); }, fsys::CopyFolderOntoFile,
         [](auto &d) { EXPECT_EQ(d.read("f.txt"), "file"); }},
        {"missing source", [](auto &d) { return at(d, "missing"); }, [](auto &d) { return at(d, "folder"); },
         fsys::CopySourceMissing, [](auto &d) { EXPECT_FALSE(d.exists("folder/missing")); }},
        {"pattern destination, missing source", [](auto &d) { return at(d, "missing"); },
         [](auto &d) { return at(d, "folder") + "\\*.x"; }, fsys::CopyDestinationIsPattern, nullptr},
        {"pattern source, missing destination", [](auto &d) { return at(d, "folder") + "\\*.txt"; },
         [](auto &d) { return at(d, "missing"); }, fsys::CopyPatternWithoutFolder,
         [](auto &d) { EXPECT_FALSE(d.exists("missing")); }},
        {"pattern source, file destination", [](auto &d) { return at(d, "folder") + "\\*.txt"; },
         [](auto &d) { return at(d, "f.txt"); }, fsys::CopyPatternWithoutFolder, nullptr},
        {"pattern with forward slashes only",
         [](auto &d) { return string((forwardSlashes(at(d, "folder")) + "/*.txt").c_str()); },
         [](auto &d) { return at(d, "folder"); }, fsys::CopySourceMissing, nullptr},
        {"destination below a file", [](auto &d) { return at(d, "folder"); },
         [](auto &d) { return at(d, "f.txt/sub"); }, fsys::CopyFolderNotMade, nullptr},
        {"subfolder where the destination has a file", [](auto &d) { return at(d, "folder"); },
         [](auto &d) { return at(d, "clash"); }, fsys::CopyFolderNotMade,
         [](auto &d) { EXPECT_EQ(d.read("clash/inner"), "a file"); }},
    };
    for (const Case &c : cases) {
        ScratchFolder dir;
        dir.write("f.txt", "file");
        dir.write("folder/inner/g.txt", "g");
        dir.write("readonly.txt", "ro");
        makeReadOnly(dir / "readonly.txt");
        dir.write("clash/inner", "a file");
        CopyThread::Status s = runCopy(c.source(dir), c.destination(dir));
        EXPECT_EQ(s.result, c.result) << c.what;
        if (c.check)
            c.check(dir);
        if (c.result == fsys::CopySourceMissing) {
            EXPECT_EQ(s.totalFiles + s.filesCopied + s.totalBytes + s.bytesCopied, 0u) << c.what;
        }
    }
}

TEST(CopyThreadTest, UnreadableFileEndsTheCopyAfterWhatCameBefore) {
    ScratchFolder dir;
    for (const char *name : {"a.txt", "c.txt", "e.txt", "g.txt"})
        dir.write(std::string("src/") + name, name);
    UnreadableFile locked(dir, "src/d.txt");
    fs::create_directory(dir / "dst");
    CopyThread::Status s = runCopy(at(dir, "src"), at(dir, "dst"));
    EXPECT_EQ(s.result, fsys::CopySourceUnreadable);
    EXPECT_EQ(bytes(s.currentFile), "d.txt");
    bool before = true;
    Common::list<string> listed = fsys::listFiles(at(dir, "src"));
    for (Common::list<string>::iterator it = listed.begin(); it != listed.end(); ++it) {
        std::string name = bytes(*it);
        if (name == "d.txt") {
            before = false;
            continue;
        }
        EXPECT_EQ(dir.exists("dst/" + name), before) << name;
    }
    EXPECT_FALSE(dir.exists("dst/d.txt"));
}

// Whether the file opens for writing and then refuses the bytes, as a full disk does. Asked before
// the copy, so that what the copy reports cannot decide whether its test runs.
bool opensButRefusesWrites(const std::string &path, size_t bytes) {
    FILE *out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const std::string data(bytes, 'x');
    bool written = std::fwrite(data.data(), 1, data.size(), out) == data.size();
    bool closed = std::fclose(out) == 0;
    return !(written && closed);
}

TEST(CopyThreadTest, FailedWriteIsReportedAndCountsKeepTheBytesRead) {
#ifdef _WIN32
    const std::string device = hostFile("/dev/full");
#else
    const std::string device = "/dev/full";
#endif
    if (!opensButRefusesWrites(device, 100000))
        GTEST_SKIP() << "no device that refuses writes here";
    const string full(hostFile("/dev/full").c_str());
    ScratchFolder dir;
    dir.write("f.txt", std::string(100000, 'x'));
    CopyThread::Status s = runCopy(at(dir, "f.txt"), full);
    EXPECT_EQ(s.result, fsys::CopyDestinationUnwritable);
    EXPECT_EQ(s.filesCopied, 1u);
    EXPECT_EQ(s.bytesCopied, 100000u);
}

TEST(CopyThreadTest, FailedReadIsReportedNotTakenForTheEnd) {
    // The process's own memory opens as a file of no measurable size, and its first page, never
    // mapped, fails to read.
    const string mem(hostFile("/proc/self/mem").c_str());
    if (!fsys::fileExists(mem))
        GTEST_SKIP() << "no /proc/self/mem here";
    ScratchFolder dir;
    CopyThread::Status s = runCopy(mem, at(dir, "copy"));
    EXPECT_EQ(s.result, fsys::CopySourceUnreadable);
    EXPECT_EQ(s.filesCopied, 1u);
    EXPECT_EQ(s.bytesCopied, 0u);
}

TEST(CopyThreadTest, CopyOntoItselfLosesNothing) {
    ScratchFolder dir;
    dir.write("src/f.txt", "keep me");
    dir.write("src/s/g.txt", "and me");
    struct Case {
        const char *source;
        const char *destination;
        fsys::CopyResult result;
    } cases[] = {
        {"src/f.txt", "src", fsys::CopyDestinationUnwritable},
        {"src/f.txt", "src/f.txt", fsys::CopyDestinationUnwritable},
        {"src", "src", fsys::CopyFolderNotMade},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(fsys::copy(at(dir, c.source), at(dir, c.destination)), c.result) << c.source;
        EXPECT_EQ(dir.read("src/f.txt"), "keep me");
        EXPECT_EQ(dir.read("src/s/g.txt"), "and me");
    }
    EXPECT_EQ(fsys::copy(at(dir, "src") + "\\*.txt", at(dir, "src")), fsys::CopyFolderNotMade);
    EXPECT_EQ(dir.read("src/f.txt"), "keep me");
}

TEST(CopyThreadTest, DestinationInsideTheSourceEnds) {
    for (bool existing : {false, true}) {
        ScratchFolder dir;
        dir.write("src/f.txt", "f");
        dir.write("src/sub/g.txt", "g");
        if (existing)
            fs::create_directories(dir / "src/sub/dst");
        EXPECT_EQ(fsys::copy(at(dir, "src"), at(dir, "src/sub/dst")), fsys::CopyFolderNotMade) << existing;
        // The walk stopped where it met the copy: nothing below the copy of the copy.
        EXPECT_FALSE(dir.exists("src/sub/dst/sub/dst/sub")) << existing;
    }
    ScratchFolder dir;
    dir.write("src/a/f.txt", "f");
    EXPECT_EQ(fsys::copy(at(dir, "src") + "\\*", at(dir, "src/a")), fsys::CopyFolderNotMade);
}

} // namespace
