// Tests of both string tables: every id in each language, placeholders alike, the table the
// platform picks for the user interface.
#include "framework/CString.h"
#include "framework/Resources.h"
#include "resources/StringIds.h"
#include "support/RunLocale.h"
#include "support/win32/JapaneseWords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

const UINT ids[] = {
    IDS_WIZARD_CAPTION,
    IDS_NO_VALID_CDROM,
    IDS_NO_USB_KEYS,
    IDS_KEY_TOO_SMALL,
    IDS_EULA_MISSING,
    IDS_FORMAT_FAILED,
    IDS_COPYING,
    IDS_KEY_WILL_BE_CREATED,
    IDS_KEY_CREATED,
    IDS_KEY_FREE_SPACE_TOO_SMALL,
    IDS_NO_MULTIBOOT_SUPPORT,
    IDS_KEY_NOT_MULTIBOOT,
    IDS_ALREADY_ON_KEY,
    IDS_NO_IMAGE_FILENAME,
    IDS_IMAGE_READ_ERROR,
    IDS_IMAGE_NOT_SUPPORTED,
    IDS_IMAGE_DAMAGED,
    IDS_IMAGE_ON_KEY,
    IDS_PROGRAM_ON_KEY,
    IDS_IMAGE_NAME_UNWRITABLE,
    IDS_IMAGE_FILE_TOO_LARGE,
    IDS_BOOT_FILE_MISSING,
    IDS_BOOT_SETUP_FAILED,
    IDS_MENU_ENTRY_FAILED,
    IDS_PROGRAM_FOLDER_UNKNOWN,
    IDS_EULA_FOLDER_UNKNOWN,
    IDS_FORMATTING,
    IDS_MAKING_BOOTABLE,
    IDS_ERROR_CAPTION,
    IDS_CONFIRM_CLOSE,
    IDS_COPY_INTERRUPTED,
    IDS_COPY_SUCCEEDED,
};

// The printf conversions of a text, in order ("%c%d%d%s").
std::string conversions(const std::string &text) {
    std::string out;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%')
            out += text.substr(i, 2), ++i;
    return out;
}

// The table in UTF-16 is read here through the ANSI code page; under a Western code page the
// Japanese text turns into question marks, which is still enough to count conversions.
TEST(StringTables, BothLanguagesHoldEveryIdWithTheSamePlaceholders) {
    for (UINT id : ids) {
        std::string en, ja;
        EXPECT_TRUE(LoadResourceString(id, en, english)) << id;
        EXPECT_TRUE(LoadResourceString(id, ja, japanese)) << id;
        EXPECT_EQ(conversions(en), conversions(ja)) << id;
    }
}

// Placeholders alone let two texts of the same form trade places: each Japanese text must also say
// what its message means.
TEST(StringTables, EachJapaneseTextSaysWhatItsMessageMeans) {
    auto holdsAll = [](const std::string &text, const std::vector<std::string> &words) {
        for (const std::string &word : words)
            if (text.find(word) == std::string::npos)
                return false;
        return true;
    };
    for (const JapaneseWords &message : JapaneseMessageWords()) {
        std::string text = JapaneseTableText(message.id);
        EXPECT_TRUE(holdsAll(text, message.words)) << message.id << ": " << text;
        for (UINT other : ids)
            if (other != message.id)
                EXPECT_FALSE(holdsAll(JapaneseTableText(other), message.words))
                    << "the words of " << message.id << " are all in the text of " << other;
    }
}

TEST(StringTables, NeitherLanguageHoldsTheSocketsMessage) {
    std::string text;
    EXPECT_FALSE(LoadResourceString(IDS_SOCKETS_INIT_FAILED, text, english));
    EXPECT_FALSE(LoadResourceString(IDS_SOCKETS_INIT_FAILED, text, japanese));
}

TEST(StringTables, TheCopyingStatusHasTwoLines) {
    std::string text;
    ASSERT_TRUE(LoadResourceString(IDS_COPYING, text, english));
    EXPECT_EQ(
        "Copying source files to USB key.  Please wait..\nNOTE: This operation may take an extended "
        "period of time and is dependent on the size of the CD/DVD and the speed of the USB port and key.",
        text);
}

// The English texts are the program's own wording, shown and formatted as they stand: a changed
// space or letter is a changed message.
TEST(StringTables, EnglishTextsWordForWord) {
    struct Case {
        UINT id;
        const char *text;
    } cases[] = {
        {IDS_WIZARD_CAPTION, "Wizard 97"},
        {IDS_NO_VALID_CDROM, "A valid CD/DVD was not selected.  Please insert a valid CD/DVD and press the "
                             "Rescan Source button."},
        {IDS_NO_USB_KEYS,
         "No USB keys have been found on your system.  Please insert your USB key and press the "
         "Rescan Target button."},
        {IDS_KEY_TOO_SMALL,
         "The selected USB key (%c: %d MB) is not large enough to hold the contents of the "
         "source CD/DVD.  The source CD/DVD requires %d MB (%s USB key or larger)."},
        {IDS_EULA_MISSING, "The End-User License Agreement file(%s) could not be found.  The program can not "
                           "continue and will now exit."},
        {IDS_FORMAT_FAILED, "An error occurred while trying to format the USB key."},
        {IDS_KEY_WILL_BE_CREATED, "The %s USB key will now be created."},
        {IDS_KEY_CREATED, "The %s USB key was created successfully."},
        {IDS_KEY_FREE_SPACE_TOO_SMALL, "The selected USB key (%c:) only has %d MB of free space which is not "
                                       "enough to hold the contents of "
                                       "the source CD/DVD.  The source CD/DVD requires %d MB."},
        {IDS_NO_MULTIBOOT_SUPPORT,
         "The selected CD/DVD does not support adding multiple CD/DVD images to one USB key."},
        {IDS_KEY_NOT_MULTIBOOT, "The USB key you are trying to add a CD/DVD image to was not created with a "
                                "CD/DVD that supports multiple CD/DVD images on a single USB key."},
        {IDS_ALREADY_ON_KEY,
         "The CD/DVD image that you are trying to transfer already exists on the USB key."},
        {IDS_NO_IMAGE_FILENAME,
         "Please specify the filename of the CD/DVD ISO image to be transfer to the USB key."},
        {IDS_IMAGE_READ_ERROR, "An error occurred trying to read the ISO file.  [0x%X] %s"},
        {IDS_IMAGE_NOT_SUPPORTED,
         "This CD/DVD does not support USB Key creation from an ISO file.  Please use "
         "physical CD/DVD media to create the USB Key."},
        {IDS_IMAGE_DAMAGED,
         "An error occurred trying to read the ISO file. The file maybe damaged or not an ISO file."},
        {IDS_IMAGE_ON_KEY,
         "The ISO file (%s) is stored on the selected USB key (%c:), which will be formatted "
         "before the copy.  Please move the ISO file to another drive first."},
        {IDS_PROGRAM_ON_KEY,
         "This program is running from the selected USB key (%c:), which will be formatted.  Please copy "
         "the program's folder to another drive and start the program from there."},
        {IDS_IMAGE_NAME_UNWRITABLE,
         "The ISO file contains file or folder names that cannot be written to a USB key."},
        {IDS_IMAGE_FILE_TOO_LARGE,
         "The ISO file contains a file of 4 GB or more, which cannot be stored on a FAT32 USB key."},
        {IDS_BOOT_FILE_MISSING,
         "The file %s was not found in the program's folder (%s).  The USB key was not changed.  Please "
         "place the file there, as README.txt says, and press Next again."},
        {IDS_BOOT_SETUP_FAILED, "An error occurred while trying to make the USB key bootable.  The USB key "
                                "cannot be used.  Exiting the application."},
        {IDS_MENU_ENTRY_FAILED,
         "The CD/DVD could not be added to the boot menu of the USB key (syslinux.cfg).  "
         "Nothing of the CD/DVD was copied.  Exiting the application."},
        {IDS_PROGRAM_FOLDER_UNKNOWN,
         "The program's folder could not be found, so the boot loader files beside the program cannot be "
         "used.  The USB key was not changed.  Please move the program's folder to a location with a shorter "
         "path and start the program from there."},
        {IDS_EULA_FOLDER_UNKNOWN,
         "The program's folder could not be found, so the End-User License Agreement file beside the program "
         "cannot be read.  The program can not continue and will now exit.  Please move the program's folder "
         "to a location with a shorter path and start the program from there."},
        {IDS_FORMATTING, "Formatting USB Key..."},
        {IDS_MAKING_BOOTABLE, "Make USB Key Bootable..."},
        {IDS_ERROR_CAPTION, "Error"},
        {IDS_CONFIRM_CLOSE,
         "Copy still in progress, USB key might not be fully functional if you close the app.  "
         "Are you sure you wish to close the application?"},
        {IDS_COPY_INTERRUPTED, "Unexpected interruption occurred during copy operation. USB key may not be "
                               "functional. Exiting the application."},
        {IDS_COPY_SUCCEEDED, "Copy operation from CD/DVD to USB Key completed successfully."},
    };
    for (const Case &c : cases) {
        std::string text;
        EXPECT_TRUE(LoadResourceString(c.id, text, english)) << c.id;
        EXPECT_EQ(c.text, text) << c.id;
    }
}

// Run once in the default locale and once each under LC_ALL=ja_JP.UTF-8 and fr_FR.UTF-8.
TEST(StringTableLocale, TheUserInterfaceLanguagePicksTheTable) {
    CString caption;
    ASSERT_TRUE(caption.LoadString(IDS_ERROR_CAPTION));
    if (RunLanguage() == "ja")
        EXPECT_STREQ("\x83\x47\x83\x89\x81\x5b", caption) << "エラー in code page 932";
    else
        EXPECT_STREQ("Error", caption);
}

} // namespace
