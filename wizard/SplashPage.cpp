// The welcome page: Next alone, and the first scan for USB keys.
#include "wizard/SplashPage.h"

#include "framework/CWaitCursor.h"
#include "wizard/Wizard97.h"

void CSplashPage::DoDataExchange(CDataExchange *pDX) { CExteriorPropertyPage::DoDataExchange(pDX); }

BOOL CSplashPage::OnSetActive() {
    m_pSheet->SetWizardButtons(PSWIZB_NEXT);
    return CExteriorPropertyPage::OnSetActive();
}

LRESULT CSplashPage::OnWizardNext() {
    {
        CWaitCursor wait;
        m_pSheet->m_deviceManager.FindUsbKeys();
        m_pSheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    }
    return CExteriorPropertyPage::OnWizardNext();
}
