// Native paths of test files in the Windows syntax that the Common library takes.
#include "support/WindowsPath.h"

std::string windowsPath(const std::string &native) {
    std::string out = native;
    for (char &c : out)
        if (c == '/')
            c = '\\';
    return out;
}

std::string hostFile(const std::string &posixPath) {
#ifdef _WIN32
    return "Z:" + windowsPath(posixPath);
#else
    return windowsPath(posixPath);
#endif
}
