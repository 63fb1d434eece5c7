// CEula: the licence page.
#pragma once

#include "framework/Controls.h"
#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

// The licence files beside the executable.
constexpr const char *kEulaJapanese = "\\eula.ja";
constexpr const char *kEulaEnglish = "\\eula.en";

class CEula : public CInteriorPropertyPage {
  public:
    CEula();

    void DoDataExchange(CDataExchange *pDX) override;
    // Loads the licence; without it the wizard closes.
    BOOL OnInitDialog() override;
    // Next only while "Agree" is checked.
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

    void OnAgree();
    void OnDisagree();
    void OnTextChange() {}

    CRichEditCtrl m_licenceText;
    CButton m_disagreeButton;
};

// Reads the licence file (the cookie, a CFile) into the rich-edit control's buffer; a failed read
// comes back as the stream's error (the OS error code).
DWORD CALLBACK EulaStreamInCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb);

// TRUE when the system default locale's language is Japanese, whatever the dialogs' language.
BOOL IsJapaneseSystemLocale();
