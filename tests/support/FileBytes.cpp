// Writes bytes at chosen offsets of a file whose size is set without writing the rest.
#include "support/FileBytes.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

void setFileSize(const std::string &path, std::uint64_t size) {
    if (!fs::exists(path))
        std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, size);
}

void writeFileAt(const std::string &path, std::uint64_t offset, const std::string &bytes) {
    if (!fs::exists(path))
        std::ofstream(path, std::ios::binary).close();
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

std::string readWholeFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
