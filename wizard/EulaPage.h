// CEula: the licence page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CEula : public CInteriorPropertyPage {
  public:
    CEula() : CInteriorPropertyPage(IDD_EULA, 0, 0, 0) {}
};
