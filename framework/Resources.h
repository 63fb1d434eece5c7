// Loading texts from the executable's string table.
#pragma once

#include <windows.h>

#include <string>

// String `id` converted to the system code page. The neutral language asks the platform to choose,
// which is the language of the user interface; a given language takes that table only. False when
// the table has no text for the id (an empty entry counts as none).
bool LoadResourceString(UINT id, std::string &out,
                        LANGID language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
