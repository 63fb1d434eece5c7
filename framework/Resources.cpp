// Loading texts from the executable's string table.
#include "framework/Resources.h"

namespace {

// RT_STRING in the spelling of the wide resource functions.
const LPCWSTR kStringTable = MAKEINTRESOURCEW(6);

} // namespace

bool LoadResourceString(UINT id, std::string &out, LANGID language) {
    out.clear();
    // A string table is stored in blocks of sixteen counted UTF-16 strings; block n holds the ids
    // 16(n-1) to 16n-1.
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceExW(module, kStringTable, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!info)
        return false;
    HGLOBAL data = LoadResource(module, info);
    const WCHAR *p = data ? static_cast<const WCHAR *>(LockResource(data)) : nullptr;
    if (!p)
        return false;
    const WCHAR *end = p + SizeofResource(module, info) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < end; ++i)
        p += 1 + *p;
    if (p >= end || *p == 0 || p + 1 + *p > end)
        return false;
    int wideLength = *p;
    int length = WideCharToMultiByte(CP_ACP, 0, p + 1, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    out.resize(length);
    WideCharToMultiByte(CP_ACP, 0, p + 1, wideLength, &out[0], length, nullptr, nullptr);
    return true;
}
