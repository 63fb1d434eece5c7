// The common file dialog behind CFileDialog.
#include "framework/FileDialog.h"

#include "framework/AppState.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd *pParentWnd, DWORD, BOOL)
    : m_bOpenFileDialog(bOpenFileDialog) {
    if (lpszFilter) {
        // The host wants NUL separators and a double NUL at the end.
        m_filter = lpszFilter;
        for (char &c : m_filter)
            if (c == '|')
                c = '\0';
        m_filter.push_back('\0');
    }
    // The host wants the extension without its dot.
    if (lpszDefExt)
        m_defExt = lpszDefExt[0] == '.' ? lpszDefExt + 1 : lpszDefExt;
    if (lpszFileName)
        std::strncpy(m_fileName, lpszFileName, sizeof(m_fileName) - 1);

    ZeroMemory(&m_ofn, sizeof(m_ofn));
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = sizeof(m_fileName);
    m_ofn.lpstrDefExt = lpszDefExt ? m_defExt.c_str() : nullptr;
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
    // Without a parent the main window owns the dialog, so it takes no input until the dialog
    // closes; with no main window the dialog stands alone.
    if (!m_ofn.hwndOwner)
        m_ofn.hwndOwner = AfxGetMainWindowHandle();
    BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    if (!chosen) {
        m_fileName[0] = '\0';
        return IDCANCEL;
    }
    return IDOK;
}
