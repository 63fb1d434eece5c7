// The tree copier: one file, a folder tree, or the entries of a folder that match a star pattern.
#include "common/CopyThread.h"

#include "common/os/FileStream.h"
#include "common/os/Folders.h"

#include <cstdio>
#include <vector>

namespace Common {
namespace Filesystem {

namespace {

typedef Synchronization::ScopedMutexLock<Synchronization::RecursiveProcessMutex> Lock;

// The part after the last backslash, or the whole path when it holds none.
string lastComponent(const string &path) {
    u64 backslash = path.rfind("\\");
    return backslash == string::npos ? path : path.substr(backslash + 1);
}

string asFolder(string path) {
    appendTrailingBackslash(path);
    return collapseBackslashes(path);
}

} // namespace

CopyResult copy(string source, string destination) {
    CopyThread thread(source, destination);
    thread.run();
    CopyThread::Status status;
    return thread.getStatus(status).result;
}

CopyThread::CopyThread(const string &source, const string &destination)
    : m_sourcePath(source), m_destinationPath(destination), m_busy(1) {
    Lock lock(m_mutex);
    m_result = CopySucceeded;
    m_totalFiles = 0;
    m_filesCopied = 0;
    m_totalBytes = 0;
    m_bytesCopied = 0;
    m_currentFile = string();
}

void CopyThread::run() {
    m_busy = 1;
    m_result = copy(m_sourcePath, m_destinationPath);
    m_busy = 0;
}

CopyThread::Status &CopyThread::getStatus(Status &out) {
    Lock lock(m_mutex);
    out.result = m_result;
    out.totalFiles = m_totalFiles;
    out.filesCopied = m_filesCopied;
    out.totalBytes = m_totalBytes;
    out.bytesCopied = m_bytesCopied;
    out.currentFile = m_currentFile;
    return out;
}

CopyResult CopyThread::copy(string source, string destination) {
    WildcardPattern pattern;
    WildcardPattern unused;
    bool destinationIsPattern = parseWildcard(destination, unused);
    bool sourceIsPattern = parseWildcard(source, pattern);
    bool sourceIsFolder = isDirectory(source);
    bool destinationIsFolder = isDirectory(destination);
    bool sourceIsFile = fileExists(source);
    bool destinationIsFile = fileExists(destination);

    if (destinationIsPattern)
        return CopyDestinationIsPattern;
    if (sourceIsPattern && !destinationIsFolder)
        return CopyPatternWithoutFolder;
    if (sourceIsPattern) {
        string folder = asFolder(source.substr(0, source.rfind("\\") + 1));
        return copyIntoFolder(folder, asFolder(destination), true, pattern);
    }
    if (sourceIsFolder && destinationIsFolder)
        return copyIntoFolder(source, destination, false, WildcardPattern());
    if (sourceIsFolder && destinationIsFile)
        return CopyFolderOntoFile;
    if (sourceIsFolder) {
        source = asFolder(source);
        destination = asFolder(destination);
        measureDirectory(source, false, WildcardPattern());
        if (!createDirectoryTree(destination))
            return CopyFolderNotMade;
        m_destinationRoot = destination;
        return copyDirectory(source, destination, false, WildcardPattern());
    }
    if (!sourceIsFile)
        return CopySourceMissing;

    m_totalFiles = 1;
    m_totalBytes = getFileSize(source);
    if (destinationIsFolder) {
        appendTrailingBackslash(destination);
        return copyFile(source, destination + lastComponent(source));
    }
    return copyFile(source, destination);
}

CopyResult CopyThread::copyIntoFolder(const string &source, const string &destination, const bool &usePattern,
                                      const WildcardPattern &pattern) {
    // A folder copied onto itself would empty each file it opens for writing.
    if (Os::sameEntry(source.c_str(), destination.c_str()))
        return CopyFolderNotMade;
    m_destinationRoot = destination;
    measureDirectory(source, usePattern, pattern);
    return copyDirectory(source, destination, usePattern, pattern);
}

CopyResult CopyThread::copyDirectory(string source, string destination, const bool &usePattern,
                                     const WildcardPattern &pattern) {
    source = asFolder(source);
    destination = asFolder(destination);
    CopyResult code = CopySucceeded;

    list<string> folders = listSubdirectories(source);
    for (list<string>::iterator it = folders.begin(); it != folders.end(); ++it) {
        if ((usePattern && !matchesWildcard(*it, pattern)) || code != CopySucceeded)
            continue;
        // The destination lies inside the source: going on would copy the copy for ever.
        if (Os::sameEntry((source + *it).c_str(), m_destinationRoot.c_str()))
            code = CopyFolderNotMade;
        else if (!createDirectoryTree(destination + *it))
            code = CopyFolderNotMade;
        else
            code = copyDirectory(source + *it, destination + *it, false, WildcardPattern());
    }

    list<string> files = listFiles(source);
    for (list<string>::iterator it = files.begin(); it != files.end(); ++it) {
        if ((usePattern && !matchesWildcard(*it, pattern)) || code != CopySucceeded)
            continue;
        code = copyFile(source + *it, destination + *it);
    }
    return code;
}

void CopyThread::measureDirectory(string folder, const bool &usePattern, const WildcardPattern &pattern) {
    folder = asFolder(folder);
    list<string> folders = listSubdirectories(folder);
    for (list<string>::iterator it = folders.begin(); it != folders.end(); ++it)
        if (!usePattern || matchesWildcard(*it, pattern))
            measureDirectory(folder + *it, false, WildcardPattern());
    list<string> files = listFiles(folder);
    for (list<string>::iterator it = files.begin(); it != files.end(); ++it) {
        if (usePattern && !matchesWildcard(*it, pattern))
            continue;
        m_totalFiles += 1;
        m_totalBytes += getFileSize(folder + *it);
    }
}

CopyResult CopyThread::copyFile(string source, string destination) {
    source = collapseBackslashes(source);
    destination = collapseBackslashes(destination);
    {
        Lock lock(m_mutex);
        m_currentFile = lastComponent(destination);
    }

    std::FILE *in = Os::openFile(source.c_str(), "rb");
    if (!in)
        return CopySourceUnreadable;
    // Opening a file onto itself for writing would empty it before a byte was read.
    std::FILE *out = Os::sameEntry(source.c_str(), destination.c_str())
                         ? nullptr
                         : Os::openFile(destination.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return CopyDestinationUnwritable;
    }
    m_filesCopied += 1;

    u64 chunk = getRemainingStreamSize(in);
    if (chunk > chunkLimit)
        chunk = chunkLimit;
    // A source whose size cannot be measured reads as empty; reading it all the same finds its
    // bytes, or its read error, where a chunk of 0 would report an empty copy as a success.
    if (chunk == 0)
        chunk = unmeasuredChunk;
    std::vector<char> buffer(chunk);
    CopyResult code = CopySucceeded;
    for (;;) {
        u64 got = std::fread(buffer.data(), 1, chunk, in);
        if (got == 0)
            break;
        m_bytesCopied += got;
        // A full key must not pass for a copied file.
        if (std::fwrite(buffer.data(), 1, got, out) != got) {
            code = CopyDestinationUnwritable;
            break;
        }
    }
    if (code == CopySucceeded && std::ferror(in))
        code = CopySourceUnreadable;
    // Buffered data reaches the file only here, so a failure here is a failed write too.
    if (std::fclose(out) != 0 && code == CopySucceeded)
        code = CopyDestinationUnwritable;
    std::fclose(in);
    return code;
}

} // namespace Filesystem
} // namespace Common
