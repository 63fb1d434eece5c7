// Tests of both string tables: every id in each language, placeholders alike, the table the
// platform picks for the user interface.
#include "framework/CString.h"
#include "framework/Resources.h"
#include "resources/StringIds.h"
#include "support/RunLocale.h"

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
