// CCompletePage: the completion page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CCompletePage : public CExteriorPropertyPage {
  public:
    CCompletePage() : CExteriorPropertyPage(IDD_COMPLETE) {}

    // Back never leaves this page.
    LRESULT OnWizardBack() override { return -1; }
};
