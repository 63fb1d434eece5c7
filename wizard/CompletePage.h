// CCompletePage: the completion page.
#pragma once

#include "framework/Controls.h"
#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CCompletePage : public CExteriorPropertyPage {
  public:
    CCompletePage() : CExteriorPropertyPage(IDD_COMPLETE) {}

    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnSetActive() override;
    // Back never leaves this page.
    LRESULT OnWizardBack() override { return -1; }
    // Opens the disc's readme when its box is checked.
    BOOL OnWizardFinish() override;

    int m_bViewReadme = 1;
    CButton m_viewReadmeBox;
    CButton m_viewLogBox;
    int m_bViewLog = 1;
    CStatic m_resultLine;
};
