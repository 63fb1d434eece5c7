// The platform initialisations the application makes before its first window.
#pragma once

#include <windows.h>

BOOL AfxOleInit();
// The sockets layer, version 1.1; FALSE when it cannot be started.
BOOL AfxSocketInit();
void AfxEnableControlContainer();
// Loads the rich-edit 2 control ("RichEdit20A"); TRUE when it is available.
BOOL AfxInitRichEdit2();
