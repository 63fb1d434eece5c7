// CSplashPage: the welcome page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CSplashPage : public CExteriorPropertyPage {
  public:
    CSplashPage() : CExteriorPropertyPage(IDD_SPLASH) {}
};
