// The completion page: the result, the readme offer, and Finish in place of Next.
#include "wizard/CompletePage.h"

#include "framework/CString.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "resources/StringIds.h"
#include "wizard/DefinitionText.h"
#include "wizard/Wizard97.h"

void CCompletePage::DoDataExchange(CDataExchange *pDX) {
    CExteriorPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_VIEW_README, m_bViewReadme);
    DDX_Control(pDX, IDC_VIEW_README, m_viewReadmeBox);
    DDX_Control(pDX, IDC_VIEW_LOG, m_viewLogBox);
    DDX_Check(pDX, IDC_VIEW_LOG, m_bViewLog);
    DDX_Control(pDX, IDC_RESULT_LINE, m_resultLine);
}

BOOL CCompletePage::OnSetActive() {
    m_pSheet->SetActivePage(&m_pSheet->m_formatPage);
    CWaitCursor wait;
    m_pSheet->SetWizardButtons(PSWIZB_FINISH);
    CMediaDefinition &media = m_pSheet->m_mediaDefinition;
    CString result;
    result.Format(IDS_KEY_CREATED, static_cast<const char *>(DefinitionTextForDisplay(media.name)));
    m_resultLine.SetWindowText(result);
    if (media.ReadmeExists()) {
        m_bViewReadme = 1;
        m_viewReadmeBox.SetCheck(BST_CHECKED);
    } else {
        m_bViewReadme = 0;
        m_viewReadmeBox.SetCheck(BST_UNCHECKED);
        m_viewReadmeBox.ShowWindow(SW_HIDE);
    }
    m_viewLogBox.ShowWindow(SW_HIDE);
    UpdateData(TRUE);
    Invalidate(TRUE);
    UpdateWindow();
    return CExteriorPropertyPage::OnSetActive();
}

BOOL CCompletePage::OnWizardFinish() {
    {
        CWaitCursor wait;
        if (m_viewReadmeBox.GetCheck() == BST_CHECKED)
            m_pSheet->m_mediaDefinition.ShowReadme();
    }
    return CExteriorPropertyPage::OnWizardFinish();
}
