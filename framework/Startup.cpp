// The DLL search, OLE, sockets, control containment and the rich-edit library.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include "framework/Startup.h"

#include "platform/SystemCalls.h"

#include <ole2.h>

BOOL RestrictDllSearchToSystem() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI *)(DWORD);
    // Looked up at run time: the program must still start on a system without the call.
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    FARPROC proc = kernel ? sys.GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    auto setDefaultDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void (*)()>(proc));
    return setDefaultDirectories && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

CString SystemFolder() {
    char folder[MAX_PATH];
    UINT length = sys.GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    return CString(folder, static_cast<int>(length));
}

CString SystemFolderPath(const char *name) {
    CString folder = SystemFolder();
    return folder.IsEmpty() ? folder : folder + "\\" + name;
}

HMODULE LoadSystemLibrary(const char *name) {
    CString path = SystemFolderPath(name);
    return path.IsEmpty() ? nullptr : ::LoadLibraryA(path);
}

BOOL AfxOleInit() { return SUCCEEDED(::OleInitialize(nullptr)); }

BOOL AfxSocketInit() {
    WSADATA data;
    return sys.WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

// Nothing to do: the dialogs hold no ActiveX controls.
void AfxEnableControlContainer() {}

BOOL AfxInitRichEdit2() {
    static HMODULE library = LoadSystemLibrary("riched20.dll");
    return library != nullptr;
}
