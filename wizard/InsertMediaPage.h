// CInsertMedia: the insert-media page.
#pragma once

#include "framework/Controls.h"
#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CInsertMedia : public CInteriorPropertyPage {
  public:
    CInsertMedia() : CInteriorPropertyPage(IDD_INSERT_MEDIA, 0, 0, 0) {}

    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    // The data-loss caution shows only for the task that formats the key.
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

    CStatic m_caution;
};
