// The executable's directory, the system folder, the system language, and tests for files and folders.
#pragma once

#include "framework/CString.h"

// Writes the two-letter code of the system default locale's language and a NUL (3 bytes):
// "fr", "es", "de", "it", "ja", and "en" for every other language.
void GetSystemLanguageCode(char *out);

// The executable's directory without a trailing backslash, copied into out when out is not null;
// a buffer shorter than the directory receives as much as fits and a NUL. Always true.
bool GetModuleDirectory(char *out, unsigned int size);

// The full path of a file of the system's own, in the system folder: the programs the key building
// starts are never looked for beside the executable or in the current folder, where anything
// downloaded with it may lie. Empty when the system folder cannot be named.
CString SystemFolderPath(const char *name);

// The path exists and is not a folder.
bool FileExists(const char *path);

// The path exists and is a folder.
bool DirectoryExists(const char *path);
