// Output and input streams over the runtime's buffered files, allocated from the stream pool.
#include "common/Streams.h"

#include "common/os/FileStream.h"

#include <string>
#include <vector>

namespace Common {

OutputStreamToFile::OutputStreamToFile(const char *path, const bool &append)
    : m_file(Os::openFile(path, append ? "ab" : "wb")) {}

OutputStreamToFile::~OutputStreamToFile() {
    if (m_file)
        std::fclose(m_file);
}

void OutputStreamToFile::write(const void *data, const u64 &size) {
    if (!m_file)
        return;
    std::fwrite(data, size, 1, m_file);
    std::fflush(m_file);
}

InputStreamFromFile::InputStreamFromFile(const char *path) : m_file(Os::openFile(path, "rb")) {}

InputStreamFromFile::~InputStreamFromFile() {
    if (m_file)
        std::fclose(m_file);
}

bool InputStreamFromFile::isAtEnd() const { return !m_file || std::feof(m_file) || std::ferror(m_file); }

void InputStreamFromFile::readChar(string &out) {
    if (isAtEnd())
        return;
    int c = std::fgetc(m_file);
    if (c == EOF)
        out.clear();
    else
        out = string(static_cast<char>(c));
}

void InputStreamFromFile::readLine(string &out) {
    if (isAtEnd())
        return;
    std::string line;
    int c = std::fgetc(m_file);
    while (c != EOF && c != '\n') {
        if (c != '\r')
            line += static_cast<char>(c);
        c = std::fgetc(m_file);
    }
    out.assign(line.data(), line.size());
}

void InputStreamFromFile::readAll(string &out) {
    if (isAtEnd())
        return;
    std::fpos_t start;
    if (std::fgetpos(m_file, &start) != 0)
        return;
    std::int64_t position = Os::tell64(m_file);
    bool measured = position >= 0 && Os::seekToEnd64(m_file);
    std::int64_t end = measured ? Os::tell64(m_file) : -1;
    std::fsetpos(m_file, &start);
    if (end < position)
        return;
    u64 n = u64(end - position);
    // Too large for one string in memory, and a partial result would pass for the whole file.
    if (n >= readAllLimit)
        return;
    std::vector<char> buffer(n + 1);
    u64 got = std::fread(buffer.data(), 1, n, m_file);
    out.assign(buffer.data(), got);
}

} // namespace Common
