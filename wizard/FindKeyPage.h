// CFindKey: the media selection page.
#pragma once

#include "framework/Controls.h"
#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

// Keys outside this size range (MB) are never listed.
constexpr unsigned kMinKeySizeMB = 401;
constexpr unsigned kMaxKeySizeMB = 32999;

// List items: a key with its size, a drive with its volume label.
constexpr const char *kKeyItemFormat = "%c: (%u MB)";
constexpr const char *kDriveItemFormat = "%c: %s";

// The image chooser.
constexpr const char *kIsoDefaultExtension = ".iso";
constexpr const char *kIsoFilter = "*.iso|*.iso||";
constexpr DWORD kIsoDialogFlags =
    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

class CFindKey : public CInteriorPropertyPage {
  public:
    CFindKey();
    ~CFindKey() override;

    void DoDataExchange(CDataExchange *pDX) override;
    // Scans and fills both lists; the CD/DVD drive is the source to begin with.
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Checks the source and the key; 115 when both fit, -1 after a refusal.
    LRESULT OnWizardNext() override;

    void OnRescanSource();
    void OnRescanTarget();
    void OnSourceChange() {}
    void OnTargetChange() {}
    void OnSelectIsoFile();
    void OnSelectCdDrive();
    void OnBrowseIso();

    void FillTargetCombo();
    void FillSourceCombo();
    void DisableIsoControls();
    void DisableCdControls();

    CComboBox m_targetCombo;
    CComboBox m_sourceCombo;
    CButton m_rescanSourceButton;
    CButton m_rescanTargetButton;
    CStatic m_infoText;
    CButton m_cdDriveRadio;
    CButton m_isoFileRadio;
    CStatic m_fromFileLabel;
    CEdit m_isoPathEdit;
    CButton m_browseButton;
    CStatic m_cdDriveLabel;

  private:
    // -1 after showing the refusal.
    LRESULT refuse(const CString &message);
    // 0 when the image in the path field can be the source, else -1 after its refusal.
    LRESULT checkImageSource();
};
