// The executable's directory, the system language, and tests for files and folders.
#include "keybuilder/PathFunctions.h"

#include "platform/SystemCalls.h"

#include <windows.h>

#include <cstring>

namespace {

struct Language {
    const char *englishName;
    const char *code;
};

const Language languages[] = {
    {"french", "fr"}, {"spanish", "es"}, {"german", "de"}, {"italian", "it"}, {"japanese", "ja"},
};

} // namespace

void GetSystemLanguageCode(char *out) {
    char name[256] = {};
    GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, name, 255);
    std::strcpy(out, "en");
    for (const Language &language : languages) {
        if (lstrcmpiA(name, language.englishName) == 0) {
            std::strcpy(out, language.code);
            return;
        }
    }
}

bool GetModuleDirectory(char *out, unsigned int size) {
    char path[MAX_PATH + 1] = {};
    // A failed call gives no folder, and a filled buffer holds only the start of the path, whose last
    // backslash would name an ancestor: either way the program's folder is not known.
    DWORD length = sys.GetModuleFileNameA(nullptr, path, MAX_PATH);
    bool whole = length > 0 && length < MAX_PATH;
    if (!whole)
        path[0] = '\0';
    else if (char *slash = std::strrchr(path, '\\'))
        *slash = '\0';
    if (out && size > 0) {
        std::strncpy(out, path, size - 1);
        out[size - 1] = '\0';
    }
    return whole;
}

bool FileExists(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
