// The modeless wizard sheet: pages created by the host, notifications mapped to the overridables,
// and the cancel handling the sheet keeps to itself.
#include "framework/PropertySheet.h"

#include "framework/CWaitCursor.h"
#include "framework/WinApp.h"

#include <algorithm>

namespace {

// Posted to the sheet to destroy it once it has no current page (or at once, wParam 1); the
// destroy must not happen inside the host's own handling of the message that ended it.
constexpr UINT kEndSheetMessage = WM_APP + 1;

// The one sheet between PropertySheetA and its return: the header callback has no context.
CPropertySheet *sheetBeingCreated = nullptr;

// The host builds the sheet from a DIALOGEX or a plain DIALOG template.
struct DialogTemplateEx {
    WORD dlgVer;
    WORD signature;
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
};

void setTemplateStyle(void *dialogTemplate, DWORD style, DWORD exStyle) {
    auto *ex = static_cast<DialogTemplateEx *>(dialogTemplate);
    if (ex->signature == 0xFFFF) {
        // The template's own DS_SETFONT says whether font data follows; it must stay as it is.
        ex->style = (style & ~DS_SETFONT) | (ex->style & DS_SETFONT);
        ex->exStyle = exStyle;
    } else {
        auto *plain = static_cast<DLGTEMPLATE *>(dialogTemplate);
        plain->style = (style & ~DS_SETFONT) | (plain->style & DS_SETFONT);
        plain->dwExtendedStyle = exStyle;
    }
}

// The answer to WM_SETCURSOR while a wait cursor lives: the hourglass, where the default window
// procedure would bring back the class's arrow. A control asks its parent first, so the sheet and
// the pages answering covers every control on them; windows of others (message boxes) keep their
// own cursor. Over a disabled sheet the default handling stays, which points the user at the box
// that disabled it.
bool keepWaitCursor(LPARAM lParam) {
    if (!CWaitCursor::IsWaiting() || static_cast<short>(LOWORD(lParam)) == HTERROR)
        return false;
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    return true;
}

} // namespace

// ---- CPropertyPage

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle) {
    ZeroMemory(&m_psp, sizeof(m_psp));
    m_psp.dwSize = sizeof(m_psp);
    m_psp.dwFlags = PSP_DEFAULT;
    m_psp.hInstance = AfxGetResourceHandle();
    m_psp.pszTemplate = MAKEINTRESOURCEA(nIDTemplate);
    if (nIDCaption) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = MAKEINTRESOURCEA(nIDCaption);
    }
    if (nIDHeaderTitle)
        m_psp.pszHeaderTitle = MAKEINTRESOURCEA(nIDHeaderTitle);
    if (nIDHeaderSubTitle)
        m_psp.pszHeaderSubTitle = MAKEINTRESOURCEA(nIDHeaderSubTitle);
}

CPropertyPage::~CPropertyPage() {
    // A window that outlives its object must not call back into it.
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    ReleaseFonts();
}

BOOL CPropertyPage::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnSetActive() { return TRUE; }

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

LRESULT CPropertyPage::OnWizardNext() { return 0; }

LRESULT CPropertyPage::OnWizardBack() { return 0; }

BOOL CPropertyPage::OnWizardFinish() { return UpdateData(TRUE); }

BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

void CPropertyPage::OnReset() { OnCancel(); }

void CPropertyPage::OnCancel() {}

void CPropertyPage::OwnFont(HFONT hFont) {
    if (hFont)
        m_fonts.push_back(hFont);
}

void CPropertyPage::ReleaseFonts() {
    for (HFONT font : m_fonts)
        ::DeleteObject(font);
    m_fonts.clear();
}

BOOL CPropertyPage::OnCommand(WPARAM wParam, LPARAM) {
    for (const Command &command : m_commands) {
        if (command.id == LOWORD(wParam) && command.code == HIWORD(wParam)) {
            command.handler();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CPropertyPage::OnNotify(NMHDR *header) {
    LRESULT result = 0;
    switch (header->code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        break;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;
        break;
    case PSN_WIZNEXT:
        result = OnWizardNext();
        break;
    case PSN_WIZBACK:
        result = OnWizardBack();
        break;
    case PSN_WIZFINISH:
        result = OnWizardFinish() ? FALSE : TRUE;
        break;
    case PSN_QUERYCANCEL:
        result = OnQueryCancel() ? FALSE : TRUE;
        break;
    case PSN_RESET:
        OnReset();
        break;
    default:
        return FALSE;
    }
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto *page = reinterpret_cast<CPropertyPage *>(reinterpret_cast<PROPSHEETPAGEA *>(lParam)->lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->Attach(hWnd);
        return page->OnInitDialog();
    }
    auto *page = reinterpret_cast<CPropertyPage *>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (!page)
        return FALSE;
    switch (message) {
    case WM_NOTIFY:
        return page->OnNotify(reinterpret_cast<NMHDR *>(lParam));
    case WM_COMMAND:
        return page->OnCommand(wParam, lParam);
    case WM_SETCURSOR:
        if (!keepWaitCursor(lParam))
            return FALSE;
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_NCDESTROY:
        // The controls are gone by now, so the fonts they drew with can go too.
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        page->ReleaseFonts();
        page->Detach();
        return FALSE;
    default:
        return FALSE;
    }
}

// ---- CPropertySheet

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd *pParentWnd, UINT iSelectPage) {
    ZeroMemory(&m_psh, sizeof(m_psh));
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    m_psh.nStartPage = iSelectPage;
    char caption[256];
    if (nIDCaption && ::LoadStringA(AfxGetResourceHandle(), nIDCaption, caption, sizeof(caption)) > 0)
        m_caption = caption;
}

CPropertySheet::~CPropertySheet() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

void CPropertySheet::AddPage(CPropertyPage *pPage) { m_pages.push_back(pPage); }

int CPropertySheet::GetPageIndex(const CPropertyPage *pPage) const {
    auto it = std::find(m_pages.begin(), m_pages.end(), pPage);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

CPropertyPage *CPropertySheet::GetActivePage() const {
    if (!m_hWnd)
        return nullptr;
    HWND current = reinterpret_cast<HWND>(SendMessage(PSM_GETCURRENTPAGEHWND));
    if (!current)
        return nullptr;
    for (CPropertyPage *page : m_pages)
        if (page->m_hWnd == current)
            return page;
    return nullptr;
}

BOOL CPropertySheet::SetActivePage(int nPage) {
    return static_cast<BOOL>(SendMessage(PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0));
}

BOOL CPropertySheet::SetActivePage(CPropertyPage *pPage) {
    int index = GetPageIndex(pPage);
    return index >= 0 && SetActivePage(index);
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags) { PostMessage(PSM_SETWIZBUTTONS, 0, dwFlags); }

void CPropertySheet::PressButton(int nButton) { SendMessage(PSM_PRESSBUTTON, static_cast<WPARAM>(nButton)); }

BOOL CPropertySheet::Create(CWnd *pParentWnd, DWORD dwStyle, DWORD dwExStyle) {
    if (m_hWnd)
        return FALSE;
    m_dwStyle = dwStyle;
    m_dwExStyle = dwExStyle;
    m_pageHeaders.clear();
    for (CPropertyPage *page : m_pages) {
        PROPSHEETPAGEA header = page->m_psp;
        header.pfnDlgProc = &CPropertyPage::DialogProc;
        header.lParam = reinterpret_cast<LPARAM>(page);
        m_pageHeaders.push_back(header);
    }
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK;
    m_psh.pfnCallback = &CPropertySheet::HeaderCallback;
    m_psh.pszCaption = m_caption.c_str();
    m_psh.nPages = static_cast<UINT>(m_pageHeaders.size());
    m_psh.ppsp = m_pageHeaders.data();
    if (pParentWnd)
        m_psh.hwndParent = pParentWnd->m_hWnd;

    sheetBeingCreated = this;
    INT_PTR result = ::PropertySheetA(&m_psh);
    sheetBeingCreated = nullptr;
    HWND hWnd = reinterpret_cast<HWND>(result);
    if (result == -1 || !hWnd || !::IsWindow(hWnd))
        return FALSE;
    if (!m_hWnd)
        SubclassSheet(hWnd);
    OnInitDialog();
    return TRUE;
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

BOOL CPropertySheet::PreTranslateMessage(MSG *pMsg) {
    if (!m_hWnd || (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return FALSE;
    return static_cast<BOOL>(SendMessage(PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(pMsg)));
}

void CPropertySheet::OnClose() { PressButton(PSBTN_CANCEL); }

int CALLBACK CPropertySheet::HeaderCallback(HWND hWnd, UINT message, LPARAM lParam) {
    CPropertySheet *sheet = sheetBeingCreated;
    if (!sheet)
        return 0;
    if (message == PSCB_PRECREATE && sheet->m_dwStyle != static_cast<DWORD>(-1) && lParam)
        setTemplateStyle(reinterpret_cast<void *>(lParam), sheet->m_dwStyle, sheet->m_dwExStyle);
    // Before the first page exists, so that page finds its sheet through its parent.
    if (message == PSCB_INITIALIZED && !sheet->m_hWnd)
        sheet->SubclassSheet(hWnd);
    return 0;
}

void CPropertySheet::SubclassSheet(HWND hWnd) {
    Attach(hWnd);
    m_hostProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPropertySheet::SheetProc)));
}

LRESULT CALLBACK CPropertySheet::SheetProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *sheet = static_cast<CPropertySheet *>(FromHandlePermanent(hWnd));
    if (!sheet || !sheet->m_hostProc)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    if (message != WM_NCDESTROY)
        return sheet->WindowProc(message, wParam, lParam);

    LRESULT result = ::CallWindowProcW(sheet->m_hostProc, hWnd, message, wParam, lParam);
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sheet->m_hostProc));
    sheet->m_hostProc = nullptr;
    sheet->Detach();
    PruneDeadHandles();
    sheet->OnWindowDestroyed();
    return result;
}

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The host would cancel on these even with Cancel disabled, and would then report no current
    // page while a page still works: the sheet decides itself.
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancelRequest();
            return 0;
        }
        break;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SETCURSOR:
        if (keepWaitCursor(lParam))
            return TRUE;
        break;
    case PSM_PRESSBUTTON:
        if (wParam == PSBTN_CANCEL) {
            OnCancelRequest();
            return 0;
        }
        break;
    case kEndSheetMessage:
        if (wParam == 1 || !GetActivePage())
            DestroyWindow();
        return 0;
    default:
        break;
    }
    LRESULT result = ::CallWindowProcW(m_hostProc, m_hWnd, message, wParam, lParam);
    if (message == WM_COMMAND || message == PSM_PRESSBUTTON)
        EndSheetWhenDone();
    return result;
}

void CPropertySheet::EndSheetWhenDone() {
    if (m_hWnd && !SendMessage(PSM_GETCURRENTPAGEHWND))
        PostMessage(kEndSheetMessage);
}

void CPropertySheet::OnCancelRequest() {
    // A page asking the user whether to cancel must not be asked again by a second press.
    if (m_bCancelling)
        return;
    HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (!cancel || !::IsWindowEnabled(cancel))
        return;
    // No current page: the host has ended the sheet (Finish). A close that arrives before the
    // sheet is gone must not reach the pages as a cancel; it only sees the sheet destroyed.
    CPropertyPage *current = GetActivePage();
    if (!current) {
        PostMessage(kEndSheetMessage);
        return;
    }
    m_bCancelling = true;
    bool end = current->OnQueryCancel();
    for (CPropertyPage *page : m_pages) {
        if (!end)
            break;
        if (!page->m_hWnd)
            continue;
        page->m_bCancelDeclined = false;
        page->OnReset();
        end = !page->m_bCancelDeclined;
    }
    if (end && m_hWnd) {
        // No further cancel while the destroy is on its way.
        ::EnableWindow(cancel, FALSE);
        PostMessage(kEndSheetMessage, 1);
    }
    m_bCancelling = false;
}
