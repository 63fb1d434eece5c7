// Tests of the path and language functions.
#include "keybuilder/PathFunctions.h"
#include "support/ScratchFolder.h"
#include "support/RunLocale.h"

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
