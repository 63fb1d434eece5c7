// What the non-window part of the class library needs to know of the running application.
#pragma once

#include <windows.h>

// The application object registers how to find its main window; until it does, and whenever the
// lookup answers null, message boxes have no owner.
using MainWindowLookup = HWND (*)();
void AfxSetMainWindowLookup(MainWindowLookup lookup);
HWND AfxGetMainWindowHandle();

// Caption of the application's message boxes: the executable's file name without its extension.
const char *AfxGetAppName();
