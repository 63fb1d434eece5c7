// Common::MemoryFile: size limit, head copy, windows, sharing, and the last-error value it leaves.
#include "common/MemoryFile.h"
#include "common/os/LastError.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

using Common::MemoryFile;
using Common::u64;

namespace {

const u64 MiB = 0x100000;

// The byte a window shows for file offset p.
int byteAt(MemoryFile &file, u64 p) {
    u64 start = file.mapWindow(p, 1);
    const Common::u8 *view = file.getView();
    return view ? view[p - start] : -1;
}

TEST(MemoryFile, OpensOnlyFilesLargerThanTheHeadCopy) {
    ScratchFolder scratch;
    struct Case {
        u64 size;
        bool opens;
    } cases[] = {{0, false}, {2 * MiB - 1, false}, {2 * MiB, false}, {2 * MiB + 1, true}};
    for (const Case &c : cases) {
        std::string path = scratch / ("f" + std::to_string(c.size));
        setFileSize(path, c.size);
        Common::Os::setLastError(1234);
        MemoryFile file(path.c_str());
        EXPECT_EQ(c.opens, file.isOpen()) << c.size;
        if (c.opens) {
            EXPECT_EQ(c.size, file.getSize());
            EXPECT_EQ(c.size, file.getWindowSize());
            EXPECT_NE(nullptr, file.getView());
        } else {
            // Too small is a refusal of ours, not a platform failure.
            EXPECT_EQ(0u, Common::Os::lastError()) << c.size;
        }
    }
}

TEST(MemoryFile, HeadCopyHoldsTheFirstTwoMiB) {
    ScratchFolder scratch;
    std::string path = scratch / "image";
    setFileSize(path, 3 * MiB);
    writeFileAt(path, 0, "A");
    writeFileAt(path, 0x8000, "CD001");
    writeFileAt(path, 2 * MiB - 1, "Z");
    MemoryFile file(path.c_str());
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ('A', *file.getHeadPointer(0));
    EXPECT_EQ(0,
              std::string(reinterpret_cast<const char *>(file.getHeadPointer(0x8000)), 5).compare("CD001"));
    EXPECT_EQ('Z', *file.getHeadPointer(2 * MiB - 1));
}

TEST(MemoryFile, WindowsStartOnMiBBoundariesAndSpanAtMost384MiB) {
    ScratchFolder scratch;
    std::string path = scratch / "big";
    setFileSize(path, 1024 * MiB);
    writeFileAt(path, 400 * MiB + 5, "p");
    writeFileAt(path, 900 * MiB, "q");
    writeFileAt(path, 1024 * MiB - 1, "r");
    MemoryFile file(path.c_str());
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(384 * MiB, file.getWindowSize());

    EXPECT_EQ(400 * MiB, file.mapWindow(400 * MiB + 5, 10));
    EXPECT_EQ(384 * MiB, file.getWindowSize());
    EXPECT_EQ('p', file.getView()[5]);

    EXPECT_EQ(900 * MiB, file.mapWindow(900 * MiB, 1));
    EXPECT_EQ(124 * MiB, file.getWindowSize());
    EXPECT_EQ('q', file.getView()[0]);
    EXPECT_EQ('r', byteAt(file, 1024 * MiB - 1));

    // The end test is strict: a range that ends exactly at the window's end maps afresh, here the
    // same range again.
    EXPECT_EQ(0u, file.mapWindow(0, 0));
    u64 size = file.getWindowSize();
    EXPECT_EQ(0u, file.mapWindow(0, size));
    EXPECT_EQ(size, file.getWindowSize());
}

TEST(MemoryFile, WindowPastTheEndLeavesNoViewAndTheNextWindowRecovers) {
    ScratchFolder scratch;
    std::string path = scratch / "f";
    setFileSize(path, 3 * MiB);
    writeFileAt(path, 2 * MiB + 7, "x");
    MemoryFile file(path.c_str());
    ASSERT_TRUE(file.isOpen());
    file.mapWindow(5 * MiB, 1);
    EXPECT_EQ(nullptr, file.getView());
    EXPECT_EQ(0u, file.getWindowSize());
    EXPECT_EQ('x', byteAt(file, 2 * MiB + 7));
}

TEST(MemoryFile, ClosedObjectAnswersNeutrally) {
    MemoryFile closed;
    EXPECT_FALSE(closed.isOpen());
    EXPECT_EQ(0u, closed.getSize());
    EXPECT_EQ(nullptr, closed.getView());
    EXPECT_EQ(0u, closed.mapWindow(5 * MiB, 1));
}

TEST(MemoryFile, CopiesShareTheFileUntilTheLastGoes) {
    ScratchFolder scratch;
    std::string path = scratch / "f";
    setFileSize(path, 3 * MiB);
    writeFileAt(path, 2 * MiB + 9, "s");
    MemoryFile b;
    {
        MemoryFile a(path.c_str());
        b = a;
        a = a;
        EXPECT_TRUE(a.isOpen());
        EXPECT_EQ('s', byteAt(a, 2 * MiB + 9));
    }
    EXPECT_TRUE(b.isOpen());
    EXPECT_EQ(3 * MiB, b.getSize());
    EXPECT_EQ('s', byteAt(b, 2 * MiB + 9));
    b = MemoryFile();
    EXPECT_FALSE(b.isOpen());
}

TEST(MemoryFile, MissingFileKeepsThePlatformError) {
    ScratchFolder scratch;
    Common::Os::setLastError(0);
    MemoryFile file((scratch / "missing.iso").c_str());
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(2u, Common::Os::lastError()); // ERROR_FILE_NOT_FOUND and ENOENT alike
}

#ifdef _WIN32
TEST(MemoryFile, SharingViolationKeepsThePlatformError) {
    ScratchFolder scratch;
    std::string path = scratch / "locked.iso";
    setFileSize(path, 3 * MiB);
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    MemoryFile file(path.c_str());
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(static_cast<Common::u32>(ERROR_SHARING_VIOLATION), Common::Os::lastError());
    CloseHandle(lock);
}
#endif

} // namespace
