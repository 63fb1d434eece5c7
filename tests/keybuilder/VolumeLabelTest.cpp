// The label the format function receives: the definition's text in UTF-16, cut to what a FAT32
// label holds in the OEM code page.
#include "keybuilder/DeviceManager.h"
#include "platform/SystemCalls.h"

#include "support/RunLocale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

struct LabelCase {
    const char *what;
    const char *label;       // as the definition reader hands it over
    const wchar_t *western;  // expected under code pages 437/850 and 1252; null: not tried there
    const wchar_t *japanese; // expected under code page 932; null: not tried there
};

// Run once in the default locale and once each under LC_ALL=ja_JP.UTF-8 and fr_FR.UTF-8.
TEST(VolumeLabelLocale, ReachesTheFormatAsTheTextItIsCutToElevenOemBytes) {
    const LabelCase cases[] = {
        {"ASCII", "DISC1", L"DISC1", L"DISC1"},
        {"empty", "", L"", L""},
        {"more than 11 ASCII characters", "A_VERY_LONG_VOLUME_LABEL", L"A_VERY_LONG", L"A_VERY_LONG"},
        {"Latin", "Caf\xc3\xa9", L"Caf\u00e9", L"Caf\u00e9"},
        // é is one byte of 437 and 850; 932 lacks it and stores its one-byte stand-in.
        {"Latin cut",
         "Caf\xc3\xa9"
         "Cr\xc3\xa8meAuLait",
         L"Caf\u00e9Cr\u00e8meAu", L"Caf\u00e9Cr\u00e8meAu"},
        // Two bytes each in 932, so five whole ones fit; the Western code pages lack them all.
        {"kanji",
         "\xe6\x9d\xb1\xe4\xba\xac\xe9\x83\xbd\xe5\x8d\x83\xe4\xbb\xa3\xe7\x94\xb0\xe5\x8c\xba"
         "\xe4\xb8\xb8\xe4\xb8\x80\xe4\xb8\x81\xe7\x9b\xae\xe5\x8c\x97\xe5\x8d\x97",
         L"\u6771\u4eac\u90fd\u5343\u4ee3\u7530\u533a\u4e38\u4e00\u4e01\u76ee",
         L"\u6771\u4eac\u90fd\u5343\u4ee3"},
        // Half a kanji would be left over after the ASCII: it is dropped, not split.
        {"kanji after ASCII", "DISC123456\xe6\x9d\xb1\xe4\xba\xac", L"DISC123456\u6771", L"DISC123456"},
        // A character outside the basic plane is two stand-in bytes, one per UTF-16 unit, so it no
        // longer fits after ten; after nine both units are kept together.
        {"outside the basic plane", "ABCDEFGHIJ\xf0\x9f\x98\x80Z", L"ABCDEFGHIJ", L"ABCDEFGHIJ"},
        {"outside the basic plane, fits", "ABCDEFGHI\xf0\x9f\x98\x80Z", L"ABCDEFGHI\U0001F600",
         L"ABCDEFGHI\U0001F600"},
        // Not UTF-8: the runtime's multibyte text in the locale of the run (1252 here, 932 there).
        {"invalid UTF-8, Latin-1", "\xe9t\xe9", L"\u00e9t\u00e9", nullptr},
        {"invalid UTF-8, Shift-JIS", "\x83\x4a\x83\x74\x83\x46", L"\u0192J\u0192t\u0192F",
         L"\u30ab\u30d5\u30a7"},
    };
    // The definition reader sets the user's locale before any definition is read.
    std::setlocale(LC_ALL, "");
    bool japanese = RunLanguage() == "ja";
    for (const LabelCase &c : cases) {
        const wchar_t *expected = japanese ? c.japanese : c.western;
        if (!expected)
            continue;
        EXPECT_EQ(FormatVolumeLabel(c.label), std::wstring(expected)) << c.what;
    }
    EXPECT_EQ(FormatVolumeLabel(nullptr), L"");
    std::setlocale(LC_ALL, "C");
}

// The call as documented, where Wine's is lenient: under CP_UTF8 both default-character arguments
// must be null, or the call fails.
int WINAPI documentedWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int units, LPSTR bytes,
                                         int size, LPCCH defaultChar, LPBOOL usedDefault) {
    if (codePage == CP_UTF8 && (defaultChar || usedDefault)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return ::WideCharToMultiByte(codePage, flags, wide, units, bytes, size, defaultChar, usedDefault);
}

// Windows' "Use Unicode UTF-8 for worldwide language support" makes the OEM code page 65001.
TEST(VolumeLabel, UnderTheUtf8CodePageEachCharacterCountsItsUtf8Bytes) {
    ScopedSystemCall<decltype(sys.WideCharToMultiByte)> documented{sys.WideCharToMultiByte,
                                                                   documentedWideCharToMultiByte};
    const struct {
        const char *what;
        const char *label;
        const wchar_t *expected;
    } cases[] = {
        {"ASCII", "DISC1", L"DISC1"},
        {"more than 11 ASCII characters", "A_VERY_LONG_VOLUME_LABEL", L"A_VERY_LONG"},
        // é and è are two bytes each.
        {"Latin cut",
         "Caf\xc3\xa9"
         "Cr\xc3\xa8meAuLait",
         L"Caf\u00e9Cr\u00e8me"},
        // Three bytes each: three of the thirteen fit.
        {"kanji",
         "\xe6\x9d\xb1\xe4\xba\xac\xe9\x83\xbd\xe5\x8d\x83\xe4\xbb\xa3\xe7\x94\xb0\xe5\x8c\xba"
         "\xe4\xb8\xb8\xe4\xb8\x80\xe4\xb8\x81\xe7\x9b\xae\xe5\x8c\x97\xe5\x8d\x97",
         L"\u6771\u4eac\u90fd"},
        {"kanji filling the label", "ABCDEFGH\xe6\x9d\xb1Z", L"ABCDEFGH\u6771"},
        {"kanji after ASCII", "DISC123456\xe6\x9d\xb1\xe4\xba\xac", L"DISC123456"},
        // Four bytes, kept whole or dropped whole.
        {"outside the basic plane", "ABCDEFG\xf0\x9f\x98\x80Z", L"ABCDEFG\U0001F600"},
        {"outside the basic plane, too long", "ABCDEFGH\xf0\x9f\x98\x80", L"ABCDEFGH"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatVolumeLabelForCodePage(c.label, CP_UTF8), std::wstring(c.expected)) << c.what;
    // Where the call cannot say what a character takes, the label ends before it: never past 11 bytes.
    EXPECT_EQ(FormatVolumeLabelForCodePage("DISC1", 12345), L"") << "a code page the system lacks";
}

} // namespace
