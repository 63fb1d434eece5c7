// Dialog data exchange: binding controls to member objects and check boxes to int fields.
#pragma once

#include <windows.h>

class CWnd;

class CDataExchange {
  public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // TRUE: from the controls into the fields; FALSE: from the fields into the controls.
    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
};

// Attaches the control nIDC of the dialog to rControl the first time; later exchanges keep it.
void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);
// Moves a check box's state (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE) to or from value.
void DDX_Check(CDataExchange *pDX, int nIDC, int &value);
