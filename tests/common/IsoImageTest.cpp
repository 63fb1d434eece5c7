// Common::IsoImage: lookups, listings, whole reads, chunked extraction, sharing and open failures.
#include "common/IsoImage.h"
#include "TestImages.h"
#include "common/os/LastError.h"
#include "support/IsoBuilder.h"
#include "support/WindowsPath.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

using Common::IsoImage;
using Common::u64;

namespace {

const u64 MiB = 0x100000;

std::vector<std::string> strings(const Common::list<Common::string> &names) {
    std::vector<std::string> v;
    for (const Common::string &n : names)
        v.push_back(n.c_str());
    return v;
}

std::string text(const Common::string &s) { return std::string(s.c_str(), s.length()); }

std::string readOrMissing(IsoImage &image, const char *path) {
    Common::string out("missing");
    image.readFile(path, out);
    return text(out);
}

TEST(IsoImage, LooksPathsUpWithEitherSlashAndAnyCase) {
    IsoImage image(testImage("basic.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    for (const char *p : {"\\usb\\usbcreator.xml", "/usb/usbcreator.xml", "usb//usbcreator.xml",
                          "USB/UsbCreator.XML", "usb\\/usbcreator.xml"}) {
        EXPECT_TRUE(image.isFile(p)) << p;
        EXPECT_EQ("<cd_definition/>\n", readOrMissing(image, p)) << p;
    }
    // Three slashes become two, one is removed, and "/usb/..." is no key.
    EXPECT_FALSE(image.isFile("///usb/usbcreator.xml"));
    EXPECT_FALSE(image.isFile("usb"));
    EXPECT_FALSE(image.isFile("usb/"));
    EXPECT_FALSE(image.isFile("nosuch.txt"));
    // Of two names equal but for case, the later in directory order wins.
    EXPECT_EQ("lower\n", readOrMissing(image, "CASE.TXT"));
    EXPECT_EQ("missing", readOrMissing(image, "nosuch.txt"));
}

TEST(IsoImage, ListsFoldersAndFilesInDirectoryOrder) {
    IsoImage image(testImage("basic.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    std::vector<std::string> top{"docs", "emptydir", "isolinux", "usb"};
    EXPECT_EQ(top, strings(image.listFolders("/")));
    EXPECT_EQ(top, strings(image.listFolders("")));
    EXPECT_FALSE(image.isFile(""));
    EXPECT_FALSE(image.isFile("/"));
    EXPECT_EQ((std::vector<std::string>{"Case.txt", "README.TXT", "case.TXT", "empty.txt", "filler.bin"}),
              strings(image.listFiles("/")));
    EXPECT_EQ((std::vector<std::string>{"isolinux.bin", "isolinux.cfg", "notes.txt", "syslinux.cfg"}),
              strings(image.listFiles("\\ISOLINUX")));
    EXPECT_EQ(std::vector<std::string>{"sub.cfg"}, strings(image.listFolders("isolinux/")));
    EXPECT_TRUE(strings(image.listFiles("emptydir")).empty());
    EXPECT_TRUE(strings(image.listFiles("README.TXT")).empty());
    EXPECT_TRUE(strings(image.listFolders("nosuch")).empty());
}

TEST(IsoImage, FileAndFolderOfOneName) {
    IsoBuilder crafted;
    crafted.directory(20, 20,
                      {IsoBuilder::record(IsoBuilder::ucs2("x"), 30, 4, false),
                       IsoBuilder::record(IsoBuilder::ucs2("x"), 21, 2048, true)});
    crafted.directory(21, 20, {IsoBuilder::record(IsoBuilder::ucs2("inside"), 30, 4, false)});
    crafted.put(30 * 2048, "data");
    ScratchFolder scratch;
    crafted.write(scratch / "x.iso");
    IsoImage image((scratch / "x.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    EXPECT_TRUE(image.isFile("x"));
    EXPECT_FALSE(image.isFile("x/"));
    EXPECT_EQ("data", readOrMissing(image, "x"));
    EXPECT_EQ(std::vector<std::string>{"inside"}, strings(image.listFiles("x/")));
    EXPECT_TRUE(strings(image.listFiles("x")).empty());
}

TEST(IsoImage, ReadsWholeFiles) {
    IsoImage image(testImage("basic.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    EXPECT_EQ("", readOrMissing(image, "empty.txt"));
    std::string filler = readOrMissing(image, "filler.bin");
    ASSERT_EQ(2688895u, filler.size()); // seq 1 400000
    EXPECT_EQ("1\n2\n3\n", filler.substr(0, 6));
    EXPECT_EQ("399999\n400000\n", filler.substr(filler.size() - 14));
    EXPECT_EQ("BASIC_LABEL", text(image.getVolumeLabel()));
}

TEST(IsoImage, ExtractsFilesByAppending) {
    IsoImage image(testImage("basic.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    ScratchFolder scratch;
    EXPECT_EQ(0, image.extractFile("\\isolinux\\isolinux.cfg", (scratch / "new.cfg").c_str()));
    EXPECT_EQ("default linux\n", scratch.read("new.cfg"));

    scratch.write("old.cfg", "old\n");
    EXPECT_EQ(0, image.extractFile("isolinux/isolinux.cfg", (scratch / "old.cfg").c_str()));
    EXPECT_EQ("old\ndefault linux\n", scratch.read("old.cfg"));

    Common::string chunk("untouched");
    bool more = true;
    EXPECT_TRUE(image.readFirstChunk("empty.txt", chunk, more));
    EXPECT_TRUE(chunk.empty());
    EXPECT_FALSE(more);
    EXPECT_EQ(0, image.extractFile("empty.txt", (scratch / "empty").c_str()));
    EXPECT_TRUE(scratch.exists("empty"));
    EXPECT_EQ("", scratch.read("empty"));

    EXPECT_EQ(1, image.extractFile("nosuch.txt", (scratch / "nosuch").c_str()));
    EXPECT_FALSE(scratch.exists("nosuch"));
    EXPECT_EQ(2, image.extractFile("README.TXT", (scratch / "missing/folder/readme").c_str()));
}

// A full disk: the write or the close fails, and that must stop a copy rather than pass for success.
TEST(IsoImage, ExtractFileReportsAFullDisk) {
    const std::string full = hostFile("/dev/full");
    IsoImage image(testImage("basic.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    EXPECT_EQ(2, image.extractFile("README.TXT", full.c_str())); // buffered: the close fails
    EXPECT_EQ(2, image.extractFile("filler.bin", full.c_str())); // the write itself fails
}

// Failures of the open: what the image answers, and the last-error value the selection page reads.
TEST(IsoImage, FailedOpenAnswersAsAnEmptyImage) {
    ScratchFolder scratch;
    setFileSize(scratch / "small.iso", 2 * MiB);
    IsoBuilder unsafe;
    unsafe.directory(20, 20, {IsoBuilder::record(IsoBuilder::ucs2(u"\uFF5C"), 30, 1, false)});
    unsafe.write(scratch / "unsafe.iso");
    IsoBuilder version3;
    version3.putAt(16, 7, "\x03");
    version3.write(scratch / "version3.iso");
    IsoBuilder huge;
    huge.directory(20, 20,
                   {IsoBuilder::notFinal(IsoBuilder::record(IsoBuilder::ucs2("huge.bin"), 30, 2048, false)),
                    IsoBuilder::record(IsoBuilder::ucs2("huge.bin"), 31, 1, false)});
    huge.write(scratch / "huge.iso");
    using Common::IsoRefusal;
    struct Case {
        std::string path;
        Common::u32 lastError;
        IsoRefusal refusal; // the reason the selection page tells the user
    } cases[] = {
        {scratch / "missing.iso", 2, IsoRefusal::None}, // ERROR_FILE_NOT_FOUND and ENOENT alike
        {scratch / "small.iso", 0, IsoRefusal::None},
        {scratch / "unsafe.iso", 0, IsoRefusal::UnwritableName},
        {scratch / "version3.iso", 0, IsoRefusal::None},
        {scratch / "huge.iso", 0, IsoRefusal::FileTooLarge},
    };
    for (const Case &c : cases) {
        Common::Os::setLastError(1234);
        IsoImage image(c.path.c_str());
        EXPECT_EQ(c.lastError, Common::Os::lastError()) << c.path;
        EXPECT_FALSE(image.isOpen()) << c.path;
        EXPECT_EQ(int(c.refusal), int(image.refusal())) << c.path;
        EXPECT_FALSE(image.isFile("/")) << c.path;
        EXPECT_TRUE(strings(image.listFolders("/")).empty()) << c.path;
        EXPECT_TRUE(strings(image.listFiles("/")).empty()) << c.path;
        // Nothing to read, the root included: a refused image may keep its root record.
        for (const char *path : {"README.TXT", "", "/"}) {
            EXPECT_EQ("missing", readOrMissing(image, path)) << c.path << " " << path;
            Common::string chunk("untouched");
            bool more = true;
            EXPECT_FALSE(image.readFirstChunk(path, chunk, more)) << c.path << " " << path;
            EXPECT_EQ("untouched", text(chunk));
            EXPECT_TRUE(more);
            EXPECT_EQ(1, image.extractFile(path, (scratch / "out").c_str())) << c.path << " " << path;
        }
    }
    EXPECT_FALSE(scratch.exists("out"));
    IsoImage empty("");
    EXPECT_FALSE(empty.isOpen());
    EXPECT_NE(0u, Common::Os::lastError());
}

#ifdef _WIN32
TEST(IsoImage, SharingViolationKeepsItsErrorAfterTheConstructor) {
    ScratchFolder scratch;
    std::string path = copyOfTestImage(scratch, "basic.iso");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    IsoImage image(path.c_str());
    EXPECT_EQ(static_cast<Common::u32>(ERROR_SHARING_VIOLATION), Common::Os::lastError());
    EXPECT_FALSE(image.isOpen());
    CloseHandle(lock);
}
#endif

TEST(IsoImage, AssignmentSharesTheReader) {
    IsoImage kept("");
    {
        IsoImage chosen(testImage("basic.iso").c_str());
        kept = chosen;
        chosen = chosen;
        EXPECT_TRUE(chosen.isFile("usb/usbcreator.xml"));
    }
    EXPECT_TRUE(kept.isOpen());
    EXPECT_EQ("<cd_definition/>\n", readOrMissing(kept, "\\usb\\usbcreator.xml"));
    IsoImage copy(kept);
    kept = IsoImage("");
    EXPECT_FALSE(kept.isOpen());
    EXPECT_EQ("readme\n", readOrMissing(copy, "README.TXT"));
}

// A file whose data lies beyond 4 GiB in the image (the last extent of a large file would): every
// position is 64 bits wide, from the record's block number to the mapped window.
TEST(IsoImage, ReadsDataBeyondFourGibibytes) {
    const u64 at = 4 * 1024 * MiB + 3 * MiB + 2048;
    std::string bytes = "far start|";
    bytes += std::string(MiB, 'f');
    bytes += "|far end";
    IsoBuilder crafted;
    crafted.directory(20, 20,
                      {IsoBuilder::record(IsoBuilder::ucs2("far.bin"), std::uint32_t(at / 2048),
                                          std::uint32_t(bytes.size()), false)});
    crafted.put(at, bytes);
    crafted.setSize(at + 2 * MiB);
    ScratchFolder scratch;
    crafted.write(scratch / "far.iso");
    IsoImage image((scratch / "far.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    EXPECT_EQ(bytes, readOrMissing(image, "far.bin"));
    ASSERT_EQ(0, image.extractFile("far.bin", (scratch / "far.bin").c_str()));
    EXPECT_EQ(bytes, scratch.read("far.bin"));
}

// Files of hundreds of MiB in a sparse crafted image: chunk boundaries and data past the end.
class IsoImageChunks : public ::testing::Test {
  protected:
    struct File {
        const char *name;
        u64 pos;
        u64 length;
    };
    static constexpr File files[] = {
        {"aligned", 4 * MiB, 384 * MiB},         // one chunk
        {"offset", 400 * MiB + 2048, 384 * MiB}, // 384 MiB - 2048, then 2048
        {"plusone", 800 * MiB, 384 * MiB + 1},   // 384 MiB, then 1
        {"truncated", 1200 * MiB, 8 * MiB},      // runs past the end of the image
    };
    static constexpr u64 ImageSize = 1204 * MiB;

    static void SetUpTestSuite() {
        scratch = new ScratchFolder();
        IsoBuilder crafted;
        std::vector<std::string> records;
        for (const File &f : files) {
            records.push_back(IsoBuilder::record(IsoBuilder::ucs2(f.name), std::uint32_t(f.pos / 2048),
                                                 std::uint32_t(f.length), false));
            // Markers at each end and on both sides of every window boundary inside the file.
            crafted.put(f.pos, std::string("<") + f.name[0]);
            if (f.pos + f.length <= ImageSize)
                crafted.put(f.pos + f.length - 2, std::string(1, f.name[0]) + ">");
        }
        crafted.put(400 * MiB + 2048 + 384 * MiB - 2048 - 1, "|");
        crafted.put(800 * MiB + 384 * MiB, "!");
        crafted.directory(20, 20, records);
        crafted.setSize(ImageSize);
        crafted.write(*scratch / "big.iso");
    }
    static void TearDownTestSuite() {
        delete scratch;
        scratch = nullptr;
    }

    static ScratchFolder *scratch;
};
constexpr IsoImageChunks::File IsoImageChunks::files[];
ScratchFolder *IsoImageChunks::scratch = nullptr;

TEST_F(IsoImageChunks, ChunksEndAtWindowEnds) {
    IsoImage image((*scratch / "big.iso").c_str());
    ASSERT_TRUE(image.isOpen());
    struct Case {
        const char *name;
        std::vector<u64> chunks;
        std::string lastBytes;
    } cases[] = {
        {"aligned", {384 * MiB}, "a>"},
        {"offset", {384 * MiB - 2048, 2048}, "o>"},
        {"plusone", {384 * MiB, 1}, "!"},
    };
    for (const Case &c : cases) {
        Common::string chunk;
        bool more = false;
        ASSERT_TRUE(image.readFirstChunk(c.name, chunk, more)) << c.name;
        std::vector<u64> sizes{chunk.length()};
        EXPECT_EQ('<', chunk[0]) << c.name;
        if (std::string(c.name) == "offset") {
            EXPECT_EQ('|', chunk[chunk.length() - 1]);
        }
        while (more) {
            chunk.clear();
            more = image.readNextChunk(chunk);
            sizes.push_back(chunk.length());
        }
        EXPECT_EQ(c.chunks, sizes) << c.name;
        EXPECT_EQ(c.lastBytes, text(chunk).substr(chunk.length() - c.lastBytes.size())) << c.name;
    }
}

TEST_F(IsoImageChunks, WholeReadCrossesWindows) {
    IsoImage image((*scratch / "big.iso").c_str());
    Common::string data;
    ASSERT_TRUE(image.readFile("offset", data));
    ASSERT_EQ(384 * MiB, data.length());
    EXPECT_EQ('<', data[0]);
    EXPECT_EQ('|', data[384 * MiB - 2048 - 1]);
    EXPECT_EQ('>', data[384 * MiB - 1]);
}

TEST_F(IsoImageChunks, DataPastTheEndIsRefused) {
    IsoImage image((*scratch / "big.iso").c_str());
    EXPECT_TRUE(image.isFile("truncated"));
    Common::string data("untouched");
    EXPECT_FALSE(image.readFile("truncated", data));
    EXPECT_EQ(Common::string("untouched"), data);
    Common::string chunk;
    bool more = false;
    EXPECT_FALSE(image.readFirstChunk("truncated", chunk, more));
    ScratchFolder out;
    EXPECT_EQ(1, image.extractFile("truncated", (out / "t").c_str()));
    EXPECT_FALSE(out.exists("t"));
}

TEST_F(IsoImageChunks, ExtractionWritesEveryChunkInOrder) {
    IsoImage image((*scratch / "big.iso").c_str());
    ScratchFolder out;
    ASSERT_EQ(0, image.extractFile("plusone", (out / "p").c_str()));
    std::string written = readWholeFile(out / "p");
    ASSERT_EQ(384 * MiB + 1, written.size());
    EXPECT_EQ("<p", written.substr(0, 2));
    EXPECT_EQ("p!", written.substr(384 * MiB - 1)); // the last byte of one chunk and the next
}

#ifndef _WIN32
// Caps the address space a little below what is mapped now, so the next window of the image is
// refused the way a platform short of memory refuses one. Windows offers no such cap.
class WindowsRefused {
  public:
    WindowsRefused() {
        unsigned long long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        getrlimit(RLIMIT_AS, &m_saved);
        struct rlimit tight = m_saved;
        tight.rlim_cur = pages * sysconf(_SC_PAGESIZE) - MiB;
        m_active = pages != 0 && setrlimit(RLIMIT_AS, &tight) == 0;
    }
    ~WindowsRefused() { setrlimit(RLIMIT_AS, &m_saved); }
    bool active() const { return m_active; }

  private:
    struct rlimit m_saved;
    bool m_active;
};

TEST_F(IsoImageChunks, RefusedWindowFailsTheReadCleanly) {
    IsoImage image((*scratch / "big.iso").c_str());
    ScratchFolder out;
    std::string target = out / "p";
    Common::string chunk;
    bool more = false;
    ASSERT_TRUE(image.readFirstChunk("offset", chunk, more)); // maps [400 MiB, 784 MiB)
    ASSERT_TRUE(more);
    chunk = Common::string();
    Common::string data("untouched");
    bool nextMore = true, read = true;
    int extracted = -1;
    {
        WindowsRefused refused;
        ASSERT_TRUE(refused.active());
        nextMore = image.readNextChunk(chunk);                    // wants [784 MiB, 1168 MiB)
        read = image.readFile("aligned", data);                   // wants [4 MiB, 388 MiB)
        extracted = image.extractFile("plusone", target.c_str()); // wants [800 MiB, 1184 MiB)
    }
    EXPECT_FALSE(nextMore);
    EXPECT_TRUE(chunk.empty());
    EXPECT_FALSE(read);
    EXPECT_EQ(Common::string("untouched"), data);
    EXPECT_EQ(1, extracted);
    EXPECT_FALSE(out.exists("p"));

    // Mapping works again once memory is there.
    ASSERT_TRUE(image.readFirstChunk("plusone", chunk, more));
    EXPECT_EQ('<', chunk[0]);
}
#endif

} // namespace
