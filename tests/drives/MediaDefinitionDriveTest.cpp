// Tests of CMediaDefinition with a CD/DVD source: the drive scan, the label and the definition on
// the Wine drive fixture's CD/DVD letter.
#include "keybuilder/MediaDefinition.h"
#include "support/win32/WineDrives.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

int index(char letter) { return letter - 'A'; }

TEST(MediaDefinitionOnDrives, FindCdromDrivesFlagsOnlyTheCdromLetter) {
    CMediaDefinition media;
    media.cdromFlag[index('Q')] = 1;
    EXPECT_TRUE(media.FindCdromDrives());
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        EXPECT_EQ(letter == kWineCdromLetter ? 1 : 0, media.cdromFlag[index(letter)]) << letter;
}

TEST(MediaDefinitionOnDrives, VolumeLabels) {
    struct Case {
        char letter;
        const char *label;
    } cases[] = {{kWineCdromLetter, kWineCdromLabel}, {kWineRemovableLetter, ""}, {'Q', ""}};
    for (const Case &c : cases) {
        CMediaDefinition media;
        media.SetSourceDrive(c.letter);
        EXPECT_STREQ(c.label, media.GetVolumeLabel()) << c.letter;
    }
}

TEST(MediaDefinitionOnDrives, DefinitionAndReadmeOnTheDisc) {
    DriveFiles disc(kWineCdromLetter);
    CMediaDefinition media;
    media.SetSourceDrive(kWineCdromLetter);
    EXPECT_FALSE(media.DefinitionFileExists());
    EXPECT_FALSE(media.Load());

    const std::string definition =
        "<cd_definition><name><name_xlate lang=\"en\">Disc</name_xlate></name><version>1.0</version>"
        "<scripts><windows><creation>usb\\create.cmd</creation></windows></scripts>"
        "<readme_file>readme.txt</readme_file><product_id>DISC-ON-DRIVE</product_id></cd_definition>";
    disc.write("usb\\usbcreator.xml", definition);
    EXPECT_STREQ(disc.path("usb\\usbcreator.xml").c_str(), media.definitionPath);
    EXPECT_TRUE(media.DefinitionFileExists());
    ASSERT_TRUE(media.Load());
    EXPECT_STREQ("Disc 1.0", media.displayName);
    EXPECT_STREQ(disc.path("usb\\create.cmd").c_str(), media.creationScript);
    EXPECT_STREQ(disc.path("readme.txt").c_str(), media.readmeFile);
    EXPECT_FALSE(media.ReadmeExists());
    const std::string readme(1 << 20, 'r');
    disc.write("readme.txt", readme);
    EXPECT_TRUE(media.ReadmeExists());
    // The drive's folder shares its disk with everything else on it: what this test wrote there is
    // only a part of what is used.
    EXPECT_GE(media.GetDriveUsedBytes(kWineCdromLetter),
              static_cast<std::int64_t>(definition.size() + readme.size()));
}

} // namespace
