// Dialog data exchange for controls and check boxes.
#include "framework/DataExchange.h"

#include "framework/Wnd.h"

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl) {
    if (rControl.m_hWnd)
        return;
    rControl.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC));
}

void DDX_Check(CDataExchange *pDX, int nIDC, int &value) {
    HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}
