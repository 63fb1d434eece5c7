// Free functions on paths, files and folders, and the star patterns that select names in one folder.
#include "common/Filesystem.h"

#include "common/SharedPtr.h"
#include "common/Streams.h"
#include "common/os/FileStream.h"
#include "common/os/Folders.h"

#include <string>
#include <string_view>
#include <vector>

namespace Common {
namespace Filesystem {

namespace {

std::string_view view(const string &s) { return std::string_view(s.c_str(), s.length()); }

// A pair of `c` becomes one; the scan resumes behind the pair, so it is a single pass.
string collapsePairs(const string &path, char c) {
    std::string_view in = view(path);
    std::string out;
    for (std::string::size_type i = 0; i < in.size(); ++i) {
        out += in[i];
        if (in[i] == c && i + 1 < in.size() && in[i + 1] == c)
            ++i;
    }
    return string(out.data(), out.size());
}

string replaceAll(const string &path, char from, char to) {
    std::string out(view(path));
    for (char &ch : out)
        if (ch == from)
            ch = to;
    return string(out.data(), out.size());
}

string forwardToBack(const string &path) { return replaceAll(path, '/', '\\'); }

string backToForward(const string &path) { return collapsePairs(replaceAll(path, '\\', '/'), '/'); }

bool opensForReading(const string &path) {
    std::FILE *file = Os::openFile(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

list<string> listEntries(string folder, bool folders) {
    appendTrailingBackslash(folder);
    folder = collapseBackslashes(folder);
    folder += "*";
    list<string> names;
    std::vector<Os::FolderEntry> entries;
    if (!Os::listFolder(folder.c_str(), entries))
        return names;
    for (const Os::FolderEntry &entry : entries) {
        if (entry.name == "." || entry.name == "..")
            continue;
        if (entry.isFolder == folders)
            names.push_back(string(entry.name.c_str()));
    }
    return names;
}

bool startsWith(std::string_view s, std::string_view with) { return s.substr(0, with.size()) == with; }

bool endsWith(std::string_view s, std::string_view with) {
    return s.size() >= with.size() && s.substr(s.size() - with.size()) == with;
}

} // namespace

string appendTrailingBackslash(string &path) {
    if (path.empty() || path[path.length() - 1] != '\\')
        path += "\\";
    return path;
}

string collapseBackslashes(const string &path) { return collapsePairs(path, '\\'); }

u64 getRemainingStreamSize(std::FILE *stream) {
    if (!stream)
        return 0;
    std::fpos_t saved;
    if (std::fgetpos(stream, &saved) != 0)
        return 0;
    std::int64_t current = Os::tell64(stream);
    std::int64_t end = current >= 0 && Os::seekToEnd64(stream) ? Os::tell64(stream) : -1;
    std::fsetpos(stream, &saved);
    return end > current ? u64(end - current) : 0;
}

u64 getFileSize(const string &path) {
    std::FILE *file = Os::openFile(path.c_str(), "rb");
    if (!file)
        return 0;
    u64 size = getRemainingStreamSize(file);
    std::fclose(file);
    return size;
}

bool isDirectory(const string &path) { return path.empty() || Os::isFolder(path.c_str()); }

bool fileExists(const string &path) { return opensForReading(path); }

bool createDirectoryTree(string path) {
    appendTrailingBackslash(path);
    path = collapseBackslashes(forwardToBack(path));
    if (path == "\\")
        return true;

    // The last piece is empty and the one before it names this level; the pieces before those two
    // make the parent. The parent is always shorter, so the recursion ends.
    list<string> pieces = path.split("\\");
    list<string>::iterator last = pieces.end();
    --last;
    list<string>::iterator level = last;
    --level;
    string parent;
    for (list<string>::iterator it = pieces.begin(); it != level; ++it)
        parent += *it + "\\";

    if (!parent.empty() && !Os::isFolder(parent.c_str()) && !createDirectoryTree(parent))
        return false;
    // Whether it was made now or existed before does not matter.
    Os::makeFolder(path.c_str());
    return Os::isFolder(path.c_str());
}

bool removeDirectory(string path) {
    appendTrailingBackslash(path);
    path = collapseBackslashes(path);
    return Os::removeFolder(path.c_str());
}

bool deleteFile(string path) {
    path = collapseBackslashes(path);
    return Os::removeFile(path.c_str());
}

bool deleteTree(string path) {
    // The separators added on the way would turn the empty path into the current drive's root.
    if (path.empty())
        return false;
    path = backToForward(path);
    if (opensForReading(path))
        return deleteFile(path);

    list<string> folders = listSubdirectories(path);
    for (list<string>::iterator it = folders.begin(); it != folders.end(); ++it)
        deleteTree(path + "/" + *it + "/");
    list<string> files = listFiles(path);
    for (list<string>::iterator it = files.begin(); it != files.end(); ++it)
        deleteFile(path + "/" + *it);
    return removeDirectory(path);
}

list<string> listSubdirectories(string folder) { return listEntries(folder, true); }

list<string> listFiles(string folder) { return listEntries(folder, false); }

string storedName(const string &name) {
    u64 end = name.length();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' '))
        --end;
    return end == name.length() ? name : name.substr(0, end);
}

bool parseWildcard(string path, WildcardPattern &out) {
    u64 backslash = path.rfind("\\");
    u64 star = path.rfind("*");
    if (backslash == string::npos || star == string::npos || star < backslash)
        return false;

    list<string> pieces = path.substr(backslash + 1).split("*");
    WildcardPattern pattern;
    list<string>::iterator first = pieces.begin();
    list<string>::iterator last = pieces.end();
    --last;
    pattern.prefix = *first;
    pattern.suffix = *last;
    for (list<string>::iterator it = ++first; it != last; ++it)
        pattern.middle.push_back(*it);
    out = pattern;
    return true;
}

bool matchesWildcard(const string &name, const WildcardPattern &pattern) {
    std::string_view n = view(name);
    if (!pattern.prefix.empty() && !startsWith(n, view(pattern.prefix)))
        return false;
    if (!pattern.suffix.empty() && !endsWith(n, view(pattern.suffix)))
        return false;
    std::string_view::size_type cursor = pattern.prefix.length();
    for (list<string>::const_iterator it = pattern.middle.begin(); it != pattern.middle.end(); ++it) {
        std::string_view::size_type at = n.find(view(*it), cursor);
        if (at == std::string_view::npos)
            return false;
        cursor = at + it->length();
    }
    return true;
}

bool readFileToString(const string &path, string &out) {
    // Refused up front: a partial read would pass for the whole file.
    if (getFileSize(path) >= InputStream::readAllLimit)
        return false;
    InputStream *stream = new InputStreamFromFile(path.c_str());
    if (!stream)
        return false;
    SharedPtr<InputStream> holder(stream);
    if (!stream->isOpen())
        return false;
    stream->setReadMode(&InputStream::readAll).read(out);
    return true;
}

} // namespace Filesystem
} // namespace Common
