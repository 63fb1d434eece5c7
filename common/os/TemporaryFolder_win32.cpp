// The user's folder for temporary files on Windows.
#include "common/os/TemporaryFolder.h"

#include <windows.h>

namespace Common {
namespace Os {

std::string temporaryFolder() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH)
        return std::string();
    std::string folder(buffer, n);
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

} // namespace Os
} // namespace Common
