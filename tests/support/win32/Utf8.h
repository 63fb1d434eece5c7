// Wide text in UTF-8, for test messages and comparisons with UTF-8 literals.
#pragma once

#include <windows.h>

#include <string>

std::string ToUtf8(const WCHAR *text, int length);
inline std::string ToUtf8(const std::wstring &text) {
    return ToUtf8(text.c_str(), static_cast<int>(text.size()));
}
