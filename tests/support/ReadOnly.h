// Marking a test file read-only, the way the platform knows it.
#pragma once

#include <string>

// Removes every write permission; on Windows that sets the read-only attribute.
void makeReadOnly(const std::string &nativePath);
