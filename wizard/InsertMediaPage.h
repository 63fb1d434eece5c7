// CInsertMedia: the insert-media page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CInsertMedia : public CInteriorPropertyPage {
  public:
    CInsertMedia() : CInteriorPropertyPage(IDD_INSERT_MEDIA, 0, 0, 0) {}
};
