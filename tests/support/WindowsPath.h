// Native paths of test files in the Windows syntax that the Common library takes.
#pragma once

#include <string>

// On Windows the path itself; elsewhere slashes become backslashes, which the library maps back.
std::string windowsPath(const std::string &native);
