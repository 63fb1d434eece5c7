// Tests of CFile: the open modes, sharing, appending at the end, and the exceptions it throws.
#include "framework/CFile.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CFile, ReadWriteWithoutCreateRefusesAMissingFile) {
    ScratchFolder scratch;
    std::string path = scratch / "syslinux.cfg";
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeReadWrite | CFile::shareDenyWrite, &error));
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error.m_lOsError);
    EXPECT_STREQ(path.c_str(), error.m_strFileName);
    EXPECT_FALSE(scratch.exists("syslinux.cfg"));
    EXPECT_THROW(CFile(path.c_str(), CFile::modeRead), CFileException);
}

TEST(CFile, AppendsAtTheEndAndKeepsOtherWritersOut) {
    ScratchFolder scratch;
    scratch.write("syslinux.cfg", "DEFAULT menu\r\n");
    std::string path = scratch / "syslinux.cfg";
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeReadWrite | CFile::shareDenyWrite));
        EXPECT_EQ(14u, file.SeekToEnd());

        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
        EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, reader);
        CloseHandle(reader);

        file.Write("LABEL disc\r\n", 12);
        EXPECT_EQ(26u, file.GetLength());
        file.Close();
        EXPECT_EQ(INVALID_HANDLE_VALUE, file.m_hFile);
    }
    EXPECT_EQ("DEFAULT menu\r\nLABEL disc\r\n", scratch.read("syslinux.cfg"));
}

TEST(CFile, AFailedWriteThrowsTheFileException) {
    ScratchFolder scratch;
    scratch.write("readonly.cfg", "x");
    std::string path = scratch / "readonly.cfg";
    CFile file(path.c_str(), CFile::modeRead);
    try {
        file.Write("y", 1);
        FAIL() << "no exception";
    } catch (const CFileException &e) {
        EXPECT_EQ(CFileException::accessDenied, e.m_cause);
        EXPECT_STREQ(path.c_str(), e.m_strFileName);
    }
}

TEST(CFile, ReadsUntilTheEnd) {
    ScratchFolder scratch;
    scratch.write("eula.en", "licence text");
    CFile file((scratch / "eula.en").c_str(), CFile::modeRead);
    char buffer[8];
    std::string text;
    while (UINT n = file.Read(buffer, sizeof buffer))
        text.append(buffer, n);
    EXPECT_EQ("licence text", text);
}

TEST(CFile, CreateTruncatesUnlessToldNotTo) {
    ScratchFolder scratch;
    scratch.write("f", "old contents");
    std::string path = scratch / "f";
    {
        CFile keep(path.c_str(), CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate);
        EXPECT_EQ(12u, keep.GetLength());
    }
    {
        CFile fresh(path.c_str(), CFile::modeWrite | CFile::modeCreate);
        fresh.Write("new", 3);
    }
    EXPECT_EQ("new", scratch.read("f"));
}

} // namespace
