// Runtime file streams on Windows: the runtime's own calls.
#include "common/os/FileStream.h"

namespace Common {
namespace Os {

std::FILE *openFile(const char *path, const char *mode) { return std::fopen(path, mode); }

std::int64_t tell64(std::FILE *file) { return _ftelli64(file); }

bool seekToEnd64(std::FILE *file) { return _fseeki64(file, 0, SEEK_END) == 0; }

} // namespace Os
} // namespace Common
