// CFindKey: the media selection page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CFindKey : public CInteriorPropertyPage {
  public:
    CFindKey() : CInteriorPropertyPage(IDD_FIND_KEY, 0, 0, 0) {}
};
