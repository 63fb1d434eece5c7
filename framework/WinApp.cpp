// The application object and the message loop.
#include "framework/WinApp.h"

#include "framework/AppState.h"
#include "framework/Wnd.h"

namespace {
CWinApp *theApplication = nullptr;

HWND mainWindowHandle() {
    CWnd *main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

} // namespace

CWinApp::CWinApp(LPCSTR lpszAppName) : m_hInstance(::GetModuleHandleA(nullptr)), m_pszAppName(lpszAppName) {
    theApplication = this;
    // Message boxes are owned by the main window.
    AfxSetMainWindowLookup(mainWindowHandle);
}

CWinApp::~CWinApp() {
    if (theApplication == this) {
        theApplication = nullptr;
        AfxSetMainWindowLookup(nullptr);
    }
}

BOOL CWinApp::InitInstance() { return TRUE; }

BOOL CWinApp::PreTranslateMessage(MSG *pMsg) { return m_pMainWnd && m_pMainWnd->PreTranslateMessage(pMsg); }

int CWinApp::Run() {
    MSG msg{};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

CWinApp *AfxGetApp() { return theApplication; }

CWnd *AfxGetMainWnd() { return theApplication ? theApplication->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandleA(nullptr); }

HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleA(nullptr); }

int AfxWinMain() {
    CWinApp *app = AfxGetApp();
    if (!app || !app->InitInstance())
        return 0;
    return app->Run();
}
