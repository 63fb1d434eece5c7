// OLE, sockets, control containment and the rich-edit library.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include "framework/Startup.h"

#include "platform/SystemCalls.h"

#include <ole2.h>

BOOL AfxOleInit() { return SUCCEEDED(::OleInitialize(nullptr)); }

BOOL AfxSocketInit() {
    WSADATA data;
    return sys.WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

// Nothing to do: the dialogs hold no ActiveX controls.
void AfxEnableControlContainer() {}

BOOL AfxInitRichEdit2() {
    static HMODULE library = ::LoadLibraryA("riched20.dll");
    return library != nullptr;
}
