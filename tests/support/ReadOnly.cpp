// Marking a test file read-only, the way the platform knows it.
#include "support/ReadOnly.h"

#include <filesystem>

void makeReadOnly(const std::string &nativePath) {
    namespace fs = std::filesystem;
    fs::permissions(nativePath, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}
