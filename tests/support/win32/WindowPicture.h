// Saves what a window shows on the screen as a PNG file, for looking at pages after a run.
#pragma once

#include <windows.h>

#include <string>

// False when the window cannot be read or the file cannot be written. Folders are made.
bool SaveWindowPicture(HWND window, const std::string &path);
