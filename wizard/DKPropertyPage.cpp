// The page bases and their navigation through the sheet's page history.
#include "wizard/DKPropertyPage.h"

#include "wizard/Wizard97.h"

CDKPropertyPage::CDKPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle,
                                 UINT nIDHeaderSubTitle)
    : CPropertyPage(nIDTemplate, nIDCaption, nIDHeaderTitle, nIDHeaderSubTitle), m_nIDD(nIDTemplate) {
    // No page shows a Help button.
    m_psp.dwFlags &= ~PSP_HASHELP;
}

BOOL CDKPropertyPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_pSheet = dynamic_cast<CWizard97 *>(FromHandlePermanent(::GetParent(m_hWnd)));
    return TRUE;
}

LRESULT CDKPropertyPage::OnWizardNext() {
    m_pSheet->PushPageHistory(m_nIDD);
    return 0;
}

LRESULT CDKPropertyPage::OnWizardBack() {
    UINT id = m_pSheet->PopPageHistory();
    // Widened as it is, "no page" would read as a dialog id to the host.
    return id == kNoPreviousPage ? -1 : static_cast<LRESULT>(id);
}

CExteriorPropertyPage::CExteriorPropertyPage(UINT nIDTemplate) : CDKPropertyPage(nIDTemplate, 0, 0, 0) {
    m_psp.dwFlags |= PSP_HIDEHEADER;
}

void CExteriorPropertyPage::DoDataExchange(CDataExchange *pDX) { CDKPropertyPage::DoDataExchange(pDX); }

CInteriorPropertyPage::CInteriorPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle,
                                             UINT nIDHeaderSubTitle)
    : CDKPropertyPage(nIDTemplate, nIDCaption, nIDHeaderTitle, nIDHeaderSubTitle) {
    m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

void CInteriorPropertyPage::DoDataExchange(CDataExchange *pDX) { CDKPropertyPage::DoDataExchange(pDX); }
