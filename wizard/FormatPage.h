// CFormat: the format-and-copy page.
#pragma once

#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CFormat : public CInteriorPropertyPage {
  public:
    CFormat() : CInteriorPropertyPage(IDD_FORMAT, 0, 0, 0) {}

    // Once this page exists a cancel ends the process; during the copy it asks first.
    void OnCancel() override;

    // True from just before the boot-menu steps to the end of the transfer.
    bool m_bCopying = false;
};
