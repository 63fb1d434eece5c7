// What each message of the Japanese string table means, as words only its text holds, so that a
// text stored under another message's id is caught.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct JapaneseWords {
    UINT id;
    std::vector<std::string> words; // UTF-8
};

// The messages the user sees in a box or on a page, each with one or two of its words: enough
// that no other message's text holds them all.
const std::vector<JapaneseWords> &JapaneseMessageWords();
// The words of one message; empty when the table lists none for it.
std::vector<std::string> JapaneseWordsOf(UINT id);

// String `id` of this executable's Japanese table, in UTF-8; empty when it has none.
std::string JapaneseTableText(UINT id);
// Text in the system code page, as windows and boxes hand it out, in UTF-8.
std::string SystemCodePageToUtf8(const std::string &text);
