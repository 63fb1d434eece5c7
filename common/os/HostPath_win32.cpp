// Windows paths need no mapping.
#include "common/os/HostPath.h"

namespace Common {
namespace Os {

std::string hostPath(const char *path) { return path; }

void setDriveRoot(const char *) {}

} // namespace Os
} // namespace Common
