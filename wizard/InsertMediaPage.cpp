// The insert-media page: the instructions and the data-loss caution.
#include "wizard/InsertMediaPage.h"

#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "wizard/ControlFont.h"
#include "wizard/Wizard97.h"

void CInsertMedia::DoDataExchange(CDataExchange *pDX) {
    CInteriorPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CAUTION, m_caution);
}

BOOL CInsertMedia::OnInitDialog() {
    CInteriorPropertyPage::OnInitDialog();
    SetControlFontWeight(&m_caution, FW_BOLD);
    return TRUE;
}

BOOL CInsertMedia::OnSetActive() {
    m_caution.ShowWindow(m_pSheet->m_nTask == kAddDiscToKey ? SW_HIDE : SW_SHOW);
    return CInteriorPropertyPage::OnSetActive();
}

LRESULT CInsertMedia::OnWizardNext() {
    { CWaitCursor wait; }
    m_pSheet->PushPageHistory(m_nIDD);
    return IDD_FIND_KEY;
}
