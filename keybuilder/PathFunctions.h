// The executable's directory, the system language, and tests for files and folders.
#pragma once

// Writes the two-letter code of the system default locale's language and a NUL (3 bytes):
// "fr", "es", "de", "it", "ja", and "en" for every other language.
void GetSystemLanguageCode(char *out);

// The executable's directory without a trailing backslash, copied into out when out is not null;
// a buffer shorter than the directory receives as much as fits and a NUL. False, with an empty text,
// when the executable's path cannot be had whole: a caller then has no folder to look in.
bool GetModuleDirectory(char *out, unsigned int size);

// The path exists and is not a folder.
bool FileExists(const char *path);

// The path exists and is a folder.
bool DirectoryExists(const char *path);
