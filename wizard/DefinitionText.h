// Text from a disc's media definition, made fit for the pages' 8-bit windows.
#pragma once

#include "framework/CString.h"

// The definition's texts are the XML parser's UTF-8, kept that way for the key's boot menu; the
// windows show text in the system's code page, where UTF-8 bytes of a Japanese name read as
// garbage. Text that is not valid UTF-8 is shown as it is.
CString DefinitionTextForDisplay(const char *utf8);
