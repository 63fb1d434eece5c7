// Checks that the Wine drive fixture presents its letters as the drive tests expect them.
#include "support/win32/WineDrives.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string root(char letter) { return std::string(1, letter) + ":\\"; }

TEST(WineDrives, CdromLetterWithItsLabelAndRemovableLetter) {
    EXPECT_EQ(UINT(DRIVE_CDROM), GetDriveTypeA(root(kWineCdromLetter).c_str()));
    EXPECT_EQ(UINT(DRIVE_REMOVABLE), GetDriveTypeA(root(kWineRemovableLetter).c_str()));
    char label[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetVolumeInformationA(root(kWineCdromLetter).c_str(), label, sizeof label, nullptr, nullptr,
                                      nullptr, nullptr, 0));
    EXPECT_STREQ(kWineCdromLabel, label);
}

TEST(WineDrives, FilesWrittenByATestAreGoneAfterIt) {
    std::string file;
    {
        DriveFiles files(kWineCdromLetter);
        files.write("usb\\usbcreator.xml", "<cd_definition/>");
        file = files.path("usb\\usbcreator.xml");
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(root(kWineCdromLetter).append("usb").c_str()));
}

} // namespace
