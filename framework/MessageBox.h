// AfxMessageBox: the application's message boxes, with a text or a string-table id.
#pragma once

#include <windows.h>

// Owned by the main window once one exists, captioned with the application's name; shown through
// the system-call table, so tests can answer them. Returns the button pressed.
int AfxMessageBox(const char *text, UINT type = MB_OK, UINT helpId = 0);
// The text is string `promptId` in the language of the user interface; an id without a text gives
// an empty box.
int AfxMessageBox(UINT promptId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
