// Definition texts as the pages show them, in each system code page the tests run under.
#include "wizard/DefinitionText.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

struct Shown {
    const char *utf8;
    const char *inCodePage1252; // null: not checked there
    const char *inCodePage932;
};

const Shown shownTexts[] = {
    {"Sample Rescue 1.0", "Sample Rescue 1.0", "Sample Rescue 1.0"},
    {"", "", ""},
    {"Caf\xC3\xA9", "Caf\xE9", nullptr},
    // "サンプル": a Japanese system shows its own two-byte characters; others have no glyphs for it.
    {"\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB", "????", "\x83\x54\x83\x93\x83\x76\x83\x8B"},
    // Not UTF-8 at all (a definition in some 8-bit code page): shown as it is.
    {"\xFF\x41\xE9", "\xFF\x41\xE9", "\xFF\x41\xE9"},
};

TEST(DefinitionTextLocale, ShowsUtf8InTheSystemsCodePage) {
    const UINT codePage = ::GetACP();
    ASSERT_TRUE(codePage == 1252 || codePage == 932) << codePage;
    for (const Shown &text : shownTexts) {
        const char *expected = codePage == 932 ? text.inCodePage932 : text.inCodePage1252;
        if (!expected)
            continue;
        EXPECT_STREQ(static_cast<const char *>(DefinitionTextForDisplay(text.utf8)), expected) << text.utf8;
    }
}

} // namespace
