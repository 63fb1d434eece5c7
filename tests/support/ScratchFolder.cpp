// A fresh, empty folder for one test.
#include "support/ScratchFolder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// Deletes a tree through "\\?\" paths, which reach names the usual path rules would change: a
// folder made as "dir. " is found as "dir" otherwise, and the runtime's own removal then never
// ends. Read-only entries go too.
void removeTree(const std::string &path) {
    std::string longPath = "\\\\?\\" + path;
    DWORD attributes = GetFileAttributesA(longPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(longPath.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(longPath.c_str());
        return;
    }
    // A link is removed, never followed.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveDirectoryA(longPath.c_str());
        return;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((longPath + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name != "." && name != "..")
                removeTree(path + "\\" + name);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(longPath.c_str());
}
#endif

std::string native(std::string relative) {
    for (char &c : relative)
        if (c == '/' || c == '\\')
            c = static_cast<char>(fs::path::preferred_separator);
    return relative;
}

} // namespace

ScratchFolder::ScratchFolder() {
    static std::atomic<unsigned> serial{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() /
                     ("orvella-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        if (fs::create_directory(p)) {
            m_path = p.string();
            return;
        }
    }
    throw std::runtime_error("no scratch folder could be made");
}

ScratchFolder::~ScratchFolder() {
#ifdef _WIN32
    removeTree(m_path);
#else
    std::error_code ec;
    // Read-only files left by a test must not keep the folder alive.
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
#endif
}

std::string ScratchFolder::operator/(const std::string &relative) const {
    return m_path + static_cast<char>(fs::path::preferred_separator) + native(relative);
}

void ScratchFolder::write(const std::string &relative, const std::string &contents) const {
    fs::path p = *this / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << contents;
    if (!out)
        throw std::runtime_error("cannot write " + p.string());
}

std::string ScratchFolder::read(const std::string &relative) const {
    std::ifstream in(*this / relative, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool ScratchFolder::exists(const std::string &relative) const { return fs::exists(*this / relative); }
