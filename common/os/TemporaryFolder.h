// The user's folder for temporary files.
#pragma once

#include <string>

namespace Common {
namespace Os {

// In Windows syntax, ending with a backslash; empty when there is none.
std::string temporaryFolder();

} // namespace Os
} // namespace Common
