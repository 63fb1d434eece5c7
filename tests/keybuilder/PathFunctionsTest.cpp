// Tests of the path and language functions.
#include "keybuilder/PathFunctions.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"
#include "support/win32/ProgramFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

// Run once in the default locale and once each under LC_ALL=ja_JP.UTF-8 and fr_FR.UTF-8.
TEST(PathFunctionsLocale, LanguageCodeOfTheSystemLocale) {
    char code[3] = {'x', 'x', 'x'};
    GetSystemLanguageCode(code);
    EXPECT_EQ(RunLanguage(), std::string(code, 2));
    EXPECT_EQ('\0', code[2]);
}

TEST(PathFunctions, ModuleDirectoryHoldsTheExecutable) {
    char directory[MAX_PATH] = {};
    ASSERT_TRUE(GetModuleDirectory(directory, sizeof directory));
    size_t length = std::strlen(directory);
    ASSERT_GT(length, 2u);
    EXPECT_NE('\\', directory[length - 1]);
    EXPECT_TRUE(FileExists((std::string(directory) + "\\keybuilder_tests.exe").c_str()));
    EXPECT_TRUE(GetModuleDirectory(nullptr, 0));
}

TEST(PathFunctions, ModuleDirectoryIntoASmallBufferIsCutAndTerminated) {
    char full[MAX_PATH] = {};
    GetModuleDirectory(full, sizeof full);
    char small[8];
    std::memset(small, '#', sizeof small);
    EXPECT_TRUE(GetModuleDirectory(small, 5));
    EXPECT_EQ(std::string(full, 4), std::string(small));
    EXPECT_EQ('#', small[5]);
    EXPECT_TRUE(GetModuleDirectory(small, 1));
    EXPECT_EQ('\0', small[0]);
}

// A failed call would leave no folder, so that a name joined to it lands in the current drive's root;
// a filled buffer would leave an ancestor folder. Either way the folder is not known.
TEST(PathFunctions, ModuleDirectoryIsEmptyAndFalseWhenTheExecutablesPathIsNotWhole) {
    for (ProgramPathLoss how : {ProgramPathLoss::CallFails, ProgramPathLoss::BufferFilled}) {
        SCOPED_TRACE(how == ProgramPathLoss::CallFails ? "call fails" : "buffer filled");
        ProgramPathLost lost(how, "C:\\Tools");
        char directory[MAX_PATH];
        std::memset(directory, '#', sizeof directory);
        EXPECT_FALSE(GetModuleDirectory(directory, sizeof directory));
        EXPECT_STREQ("", directory);
        EXPECT_FALSE(GetModuleDirectory(nullptr, 0));
    }
    // The longest path that still fits the buffer with its NUL is whole.
    std::string folder = "C:\\" + std::string(MAX_PATH - 1 - 3 - std::strlen("\\orvella.exe"), 'y');
    ProgramInFolder longest(folder);
    char directory[MAX_PATH] = {};
    EXPECT_TRUE(GetModuleDirectory(directory, sizeof directory));
    EXPECT_EQ(folder, directory);
}

TEST(PathFunctions, FileAndFolderTests) {
    ScratchFolder scratch;
    scratch.write("kxmboot.cfg", "");
    scratch.write("disc1/isolinux.cfg", "");
    struct Case {
        std::string path;
        bool file, folder;
    } cases[] = {
        {scratch / "kxmboot.cfg", true, false},
        {scratch / "disc1", false, true},
        {scratch.path(), false, true},
        {scratch / "missing", false, false},
        {scratch / "missing/deeper", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.file, FileExists(c.path.c_str())) << c.path;
        EXPECT_EQ(c.folder, DirectoryExists(c.path.c_str())) << c.path;
    }
}

} // namespace
