// Tests of the file streams: writing and appending, the three reads and the read mode, and refusals.
#include "common/Streams.h"

#include "common/SharedPtr.h"
#include "support/ScratchFolder.h"
#include "support/WindowsPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Common::InputStream;
using Common::InputStreamFromFile;
using Common::OutputStreamToFile;
using Common::SharedPtr;

std::string bytes(const Common::string &s) { return std::string(s.c_str(), s.length()); }

SharedPtr<InputStream> openInput(const std::string &nativePath) {
    InputStream *stream = new InputStreamFromFile(windowsPath(nativePath).c_str());
    if (!stream)
        throw std::runtime_error("pool exhausted");
    return SharedPtr<InputStream>(stream);
}

// Every line that readLine gives until the stream is at its end.
std::vector<std::string> lines(InputStream &in) {
    std::vector<std::string> out;
    while (!in.isAtEnd()) {
        Common::string line("unchanged");
        in.readLine(line);
        out.push_back(bytes(line));
    }
    return out;
}

TEST(StreamsTest, OutputStreamCreatesTruncatesAndAppends) {
    ScratchFolder dir;
    dir.write("out.bin", "old contents");
    std::string path = windowsPath(dir / "out.bin");
    {
        SharedPtr<Common::OutputStream> out(new OutputStreamToFile(path.c_str(), false));
        ASSERT_TRUE(out->isOpen());
        EXPECT_EQ(dir.read("out.bin"), "");
        out->write("ab\0c", 4);
        // Flushed at once: visible before the stream is closed.
        EXPECT_EQ(dir.read("out.bin"), std::string("ab\0c", 4));
    }
    {
        SharedPtr<Common::OutputStream> out(new OutputStreamToFile(path.c_str(), true));
        out->write("de", 2);
    }
    EXPECT_EQ(dir.read("out.bin"), std::string("ab\0cde", 6));
}

TEST(StreamsTest, StreamsThatCannotOpenDoNothing) {
    ScratchFolder dir;
    std::string missing = windowsPath(dir / "no/such/folder/f.txt");
    SharedPtr<Common::OutputStream> out(new OutputStreamToFile(missing.c_str(), false));
    EXPECT_FALSE(out->isOpen());
    out->write("x", 1);

    // A folder is not a file, on any host.
    for (const std::string &path : {dir / "missing.txt", dir.path()}) {
        SharedPtr<InputStream> in = openInput(path);
        EXPECT_FALSE(in->isOpen()) << path;
        EXPECT_TRUE(in->isAtEnd()) << path;
        Common::string s("kept");
        in->readChar(s);
        in->readLine(s);
        in->readAll(s);
        EXPECT_EQ(bytes(s), "kept") << path;
    }
}

TEST(StreamsTest, ReadLineSplitsAtLineFeedsAndDropsCarriageReturns) {
    struct Case {
        std::string contents;
        std::vector<std::string> lines;
    } cases[] = {
        {"ab\r\ncd", {"ab", "cd"}},
        {"ab\n", {"ab", ""}},
        {"a\rb\r\r\n\n", {"ab", "", ""}},
        {"", {""}},
        {std::string("x\0y\n", 4), {std::string("x\0y", 3), ""}},
    };
    for (const Case &c : cases) {
        ScratchFolder dir;
        dir.write("f.txt", c.contents);
        SharedPtr<InputStream> in = openInput(dir / "f.txt");
        EXPECT_EQ(lines(*in), c.lines) << c.contents;
        Common::string after("unchanged");
        in->readLine(after);
        EXPECT_EQ(bytes(after), "unchanged");
    }
}

TEST(StreamsTest, ReadCharGivesAnEmptyStringOnceAtTheEnd) {
    ScratchFolder dir;
    dir.write("f.txt", "ab");
    SharedPtr<InputStream> in = openInput(dir / "f.txt");
    Common::string c("?");
    in->readChar(c);
    EXPECT_EQ(bytes(c), "a");
    in->readChar(c);
    EXPECT_EQ(bytes(c), "b");
    EXPECT_FALSE(in->isAtEnd());
    in->readChar(c);
    EXPECT_EQ(bytes(c), "");
    EXPECT_TRUE(in->isAtEnd());
    c = "unchanged";
    in->readChar(c);
    EXPECT_EQ(bytes(c), "unchanged");
}

TEST(StreamsTest, ReadAllTakesTheRestWithZeroBytes) {
    ScratchFolder dir;
    dir.write("empty", "");
    dir.write("zeros", std::string("a\0\0b\0", 5));

    Common::string out("x");
    openInput(dir / "empty")->readAll(out);
    EXPECT_EQ(bytes(out), "");

    openInput(dir / "zeros")->readAll(out);
    EXPECT_EQ(bytes(out), std::string("a\0\0b\0", 5));

    SharedPtr<InputStream> in = openInput(dir / "zeros");
    in->readChar(out);
    in->readAll(out);
    EXPECT_EQ(bytes(out), std::string("\0\0b\0", 4));
}

TEST(StreamsTest, ReadPerformsTheStoredModeOfTheDerivedStream) {
    ScratchFolder dir;
    dir.write("f.txt", "one\ntwo\n");
    SharedPtr<InputStream> in = openInput(dir / "f.txt");
    Common::string out;
    in->setReadMode(&InputStream::readLine).read(out);
    EXPECT_EQ(bytes(out), "one");
    in->setReadMode(&InputStream::readChar).read(out);
    EXPECT_EQ(bytes(out), "t");
    in->setReadMode(&InputStream::readAll).read(out);
    EXPECT_EQ(bytes(out), "wo\n");

    // A new stream reads everything by default.
    openInput(dir / "f.txt")->read(out);
    EXPECT_EQ(bytes(out), "one\ntwo\n");
}

TEST(StreamsTest, ReadAllRefusesFourGibibytesAndLeavesOutUnchanged) {
    ScratchFolder dir;
    dir.write("huge", "");
    // Sparse: no disk space is used, and nothing is read.
    std::filesystem::resize_file(dir / "huge", InputStream::readAllLimit);
    SharedPtr<InputStream> in = openInput(dir / "huge");
    ASSERT_TRUE(in->isOpen());
    Common::string out("unchanged");
    in->readAll(out);
    EXPECT_EQ(bytes(out), "unchanged");
    // Still at the start.
    in->readChar(out);
    EXPECT_EQ(bytes(out), std::string(1, '\0'));
}

TEST(StreamsTest, ReadErrorEndsReadLine) {
    // The first page of a process's memory is never mapped, so reading it fails at once.
    SharedPtr<InputStream> in(new InputStreamFromFile(hostFile("/proc/self/mem").c_str()));
    if (!in->isOpen())
        GTEST_SKIP() << "no /proc/self/mem here";
    Common::string line("unchanged");
    in->readLine(line);
    EXPECT_EQ(bytes(line), "");
    EXPECT_TRUE(in->isAtEnd());
}

} // namespace
