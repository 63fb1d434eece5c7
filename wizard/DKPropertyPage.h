// The page bases: CDKPropertyPage (navigation by the page history), and the exterior (welcome,
// completion) and interior (middle) pages.
#pragma once

#include "framework/PropertySheet.h"

class CWizard97;

class CDKPropertyPage : public CPropertyPage {
  public:
    CDKPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle);

    BOOL OnInitDialog() override;
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;

    // The dialog id, which is also the page's navigation id.
    UINT m_nIDD;
    // Valid from OnInitDialog on.
    CWizard97 *m_pSheet = nullptr;
};

class CExteriorPropertyPage : public CDKPropertyPage {
  public:
    explicit CExteriorPropertyPage(UINT nIDTemplate);
    void DoDataExchange(CDataExchange *pDX) override;
};

class CInteriorPropertyPage : public CDKPropertyPage {
  public:
    CInteriorPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nIDHeaderTitle, UINT nIDHeaderSubTitle);
    void DoDataExchange(CDataExchange *pDX) override;
};
