// The application's start-up and its run of the wizard.
#include "wizard/OrvellaApp.h"

#include "framework/MessageBox.h"
#include "framework/Startup.h"
#include "resources/StringIds.h"
#include "wizard/Wizard97.h"

#include <commctrl.h>

BOOL COrvellaApp::InitInstance() {
    RestrictDllSearchToSystem();
    AfxOleInit();
    ::InitCommonControls();
    CWinApp::InitInstance();
    if (!AfxSocketInit()) {
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED, MB_OK);
        return FALSE;
    }
    AfxEnableControlContainer();
    AfxInitRichEdit2();
    return TRUE;
}

int COrvellaApp::Run() {
    CWizard97 sheet(IDS_WIZARD_CAPTION, nullptr, 0);
    m_pMainWnd = &sheet;
    // Without a window the loop would wait for ever for a quit that never comes.
    if (!sheet.Create(nullptr, kWizardWindowStyle, 0)) {
        m_pMainWnd = nullptr;
        return -1;
    }
    return CWinApp::Run();
}
