// CFileDialog: the common open and save dialogs with a filter written "text|pattern|...||".
#pragma once

#include "framework/CString.h"
#include "framework/Wnd.h"

#include <commdlg.h>
#include <dlgs.h>

#include <string>

class CFileDialog {
  public:
    // bVistaStyle is accepted for the callers' sake; the dialog is the explorer-style common one.
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd *pParentWnd = nullptr, DWORD dwSize = 0, BOOL bVistaStyle = TRUE);
    CFileDialog(const CFileDialog &) = delete;
    CFileDialog &operator=(const CFileDialog &) = delete;

    // IDOK or IDCANCEL. The dialog is modal to its parent, or to the main window when it has none.
    INT_PTR DoModal();
    // The chosen file's full path; empty until a file has been chosen.
    CString GetPathName() const { return CString(m_fileName); }

    // Callers may set fields such as lpstrInitialDir before DoModal.
    OPENFILENAMEA m_ofn;

  private:
    BOOL m_bOpenFileDialog;
    std::string m_filter;
    std::string m_defExt;
    char m_fileName[MAX_PATH] = {};
};
