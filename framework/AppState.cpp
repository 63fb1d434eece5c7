// What the non-window part of the class library needs to know of the running application.
#include "framework/AppState.h"

#include <cstring>

namespace {

MainWindowLookup mainWindowLookup = nullptr;

} // namespace

void AfxSetMainWindowLookup(MainWindowLookup lookup) { mainWindowLookup = lookup; }

HWND AfxGetMainWindowHandle() {
    HWND window = mainWindowLookup ? mainWindowLookup() : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}

const char *AfxGetAppName() {
    static char name[MAX_PATH + 1];
    if (!name[0]) {
        char path[MAX_PATH + 1] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const char *base = std::strrchr(path, '\\');
        base = base ? base + 1 : path;
        std::memcpy(name, base, std::strlen(base) + 1);
        if (char *dot = std::strrchr(name, '.'))
            *dot = '\0';
    }
    return name;
}
