// The wizard sheet: its pages in page order, the page history and the button operations.
#include "wizard/Wizard97.h"

#include "framework/WinApp.h"
#include "resources/resource.h"

CWizard97::CWizard97(UINT nIDCaption, CWnd *pParentWnd, UINT iSelectPage)
    : CPropertySheet(nIDCaption, pParentWnd, iSelectPage), m_bTaskChosen(0), m_nTask(kCreateBootableKey) {
    // Plain wizard mode: no Wizard97 header area.
    m_psh.dwFlags |= PSH_WIZARD;
    AddPage(&m_splashPage);
    AddPage(&m_eulaPage);
    AddPage(&m_taskPage);
    AddPage(&m_insertMediaPage);
    AddPage(&m_findKeyPage);
    AddPage(&m_formatPage);
    AddPage(&m_completePage);
    m_psh.dwFlags &= ~PSH_HASHELP;
    m_psh.hInstance = AfxGetInstanceHandle();
    m_bTaskChosen = 0;
}

CWizard97::~CWizard97() {
    // The pages' windows go before the pages do.
    if (m_hWnd)
        DestroyWindow();
}

BOOL CWizard97::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    HICON icon = ::LoadIconW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(IDI_ORVELLA));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return result;
}

void CWizard97::PushPageHistory(UINT id) { m_pageHistory.push_back(id); }

UINT CWizard97::PopPageHistory() {
    if (m_pageHistory.empty())
        return kNoPreviousPage;
    UINT id = m_pageHistory.back();
    m_pageHistory.pop_back();
    return id;
}

BOOL CWizard97::EnableCancelButton(BOOL enable) {
    HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (!cancel)
        return FALSE;
    ::EnableWindow(cancel, enable);
    return TRUE;
}

BOOL CWizard97::EnableBackNextButtons(BOOL enable) {
    HWND next = ::GetDlgItem(m_hWnd, kNextButtonId);
    HWND back = ::GetDlgItem(m_hWnd, kBackButtonId);
    if (!next || !back)
        return FALSE;
    ::EnableWindow(next, enable);
    ::EnableWindow(back, enable);
    return TRUE;
}

CDeviceManager &MainWindowDeviceManager() {
    return static_cast<CWizard97 *>(AfxGetMainWnd())->m_deviceManager;
}
