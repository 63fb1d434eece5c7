// CSplashPage: the welcome page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CSplashPage : public CExteriorPropertyPage {
  public:
    CSplashPage() : CExteriorPropertyPage(IDD_SPLASH) {}

    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnSetActive() override;
    // Scans for USB keys, so the selection page finds them listed.
    LRESULT OnWizardNext() override;
};
