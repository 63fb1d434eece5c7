// The platform initialisations the application makes before its first window.
#pragma once

#include "framework/CString.h"

#include <windows.h>

// Takes the program's own folder and the current folder out of the search for every DLL loaded by a
// bare name from now on, the system's own and those they pull in: the program runs with
// administrator rights from wherever it was downloaded to, next to whatever else was. FALSE where
// the platform lacks the call; the search then stays as it was.
BOOL RestrictDllSearchToSystem();
// The system folder, and the full path of a file of the system's own in it: the libraries and
// programs the program loads and starts are never looked for beside the executable or in the
// current folder, where anything downloaded with it may lie. Empty when the folder cannot be named.
CString SystemFolder();
CString SystemFolderPath(const char *name);
// Loads a library of the system's own from the system folder only, never one planted beside the
// program or in the current folder; null when it is not there.
HMODULE LoadSystemLibrary(const char *name);

BOOL AfxOleInit();
// The sockets layer, version 1.1; FALSE when it cannot be started.
BOOL AfxSocketInit();
void AfxEnableControlContainer();
// Loads the rich-edit 2 control ("RichEdit20A"); TRUE when it is available.
BOOL AfxInitRichEdit2();
