// Text from a disc's media definition, made fit for the pages' 8-bit windows.
#include "wizard/DefinitionText.h"

#include <windows.h>

#include <vector>

CString DefinitionTextForDisplay(const char *utf8) {
    int wide = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (wide <= 0)
        return CString(utf8);
    std::vector<wchar_t> text(static_cast<size_t>(wide));
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, text.data(), wide);
    int narrow = ::WideCharToMultiByte(CP_ACP, 0, text.data(), -1, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0)
        return CString(utf8);
    std::vector<char> shown(static_cast<size_t>(narrow));
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), -1, shown.data(), narrow, nullptr, nullptr);
    return CString(shown.data());
}
