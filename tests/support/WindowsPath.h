// Native paths of test files in the Windows syntax that the Common library takes.
#pragma once

#include <string>

// On Windows the path itself; elsewhere slashes become backslashes, which the library maps back.
std::string windowsPath(const std::string &native);

// A file of the build machine itself ("/dev/full"), as the library reaches it: under Wine the
// machine's root is the drive Z:.
std::string hostFile(const std::string &posixPath);
