// CTask: the task page.
#pragma once

#include "framework/Controls.h"
#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

class CTask : public CInteriorPropertyPage {
  public:
    CTask();

    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    // Records the checked task in the sheet; -1 when none is checked.
    LRESULT OnWizardNext() override;

    void OnSelectCreate();
    void OnSelectAdd();

    CButton m_createButton;
    CButton m_addButton;
};
