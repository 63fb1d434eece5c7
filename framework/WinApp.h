// CWinApp: the one application object, its main window and the message loop.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
  public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    virtual BOOL InitInstance();
    // Runs the message loop until the main window is gone; returns the quit message's code.
    virtual int Run();

    // Offers a message to the main window (keyboard handling of a modeless sheet) before it is
    // dispatched; TRUE when it was handled there.
    BOOL PreTranslateMessage(MSG *pMsg);

    CWnd *m_pMainWnd = nullptr;
    HINSTANCE m_hInstance;
    LPCSTR m_pszAppName;
};

CWinApp *AfxGetApp();
CWnd *AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Dialogs, strings and art are linked into the executable itself.
HINSTANCE AfxGetResourceHandle();

// The program's body: InitInstance, then Run. A refused start ends with 0 and no window.
int AfxWinMain();
