// The tree copier: one file, a folder tree, or the entries of a folder that match a star pattern.
#pragma once

#include "common/CopyResult.h"
#include "common/Filesystem.h"
#include "common/RecursiveProcessMutex.h"
#include "common/String.h"
#include "common/Threadable.h"
#include "common/Types.h"

namespace Common {
namespace Filesystem {

// Runs a CopyThread on the calling thread and gives its result.
CopyResult copy(string source, string destination);

// Measures the job, then copies, keeping a progress record of which getStatus takes a consistent
// snapshot. Made for one copy and run once.
class CopyThread : public Synchronization::Threadable {
  public:
    struct Status {
        u8 result = 0;
        u64 totalFiles = 0;
        u64 filesCopied = 0;
        u64 totalBytes = 0;
        u64 bytesCopied = 0;
        string currentFile;
    };

    // Chunks of a file are read into one buffer of the file's size, up to this.
    static constexpr u64 chunkLimit = 1 << 20;
    // The chunk for a source that measures 0 bytes: empty, or of a size the platform cannot tell.
    static constexpr u64 unmeasuredChunk = 4096;

    CopyThread(const string &source, const string &destination);
    ~CopyThread() override {}

    void run() override;
    Status &getStatus(Status &out);

  private:
    CopyResult copy(string source, string destination);
    // The subfolders of a folder are copied before its files, depth first; the pattern filters only the
    // top level. The first failure ends the walk.
    CopyResult copyDirectory(string source, string destination, const bool &usePattern,
                             const WildcardPattern &pattern);
    void measureDirectory(string folder, const bool &usePattern, const WildcardPattern &pattern);
    CopyResult copyFile(string source, string destination);
    CopyResult copyIntoFolder(const string &source, const string &destination, const bool &usePattern,
                              const WildcardPattern &pattern);

    Synchronization::RecursiveProcessMutex m_mutex;
    string m_sourcePath;
    string m_destinationPath;
    u8 m_busy;
    u8 m_result;
    u64 m_totalFiles;
    u64 m_filesCopied;
    u64 m_totalBytes;
    u64 m_bytesCopied;
    string m_currentFile;
    // The folder that receives the copy: a walk of the source that meets it would copy it into itself.
    string m_destinationRoot;
};

} // namespace Filesystem
} // namespace Common
