// A name for a temporary file, optionally removed when its holder goes.
#include "common/TemporaryFile.h"

#include "common/os/Folders.h"
#include "common/os/TemporaryFolder.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Common {

namespace {

const char prefix[] = "file";
const int triesForName = 1000;

// A cheap sequence that differs between processes started at different moments; uniqueness itself
// comes from testing each name.
std::uint32_t nextSerial() {
    static std::uint32_t state =
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                   reinterpret_cast<std::uintptr_t>(&state));
    state = state * 1664525u + 1013904223u;
    return state;
}

} // namespace

TemporaryFile::TemporaryFile(const string &extension, const bool &deleteOnDestroy)
    : m_deleteOnDestroy(deleteOnDestroy) {
    std::string folder = Os::temporaryFolder();
    if (folder.empty())
        return;
    std::string dot = extension.empty() ? std::string() : "." + std::string(extension.c_str());
    for (int i = 0; i < triesForName; ++i) {
        char unique[9];
        std::snprintf(unique, sizeof unique, "%08x", static_cast<unsigned>(nextSerial()));
        std::string name = folder + prefix + unique + dot;
        if (!Os::nameInUse(name.c_str())) {
            m_name = string(name.c_str());
            return;
        }
    }
}

TemporaryFile::~TemporaryFile() {
    if (m_deleteOnDestroy)
        Os::removeFile(m_name.c_str());
}

} // namespace Common
