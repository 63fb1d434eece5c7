// CWizard97: the wizard sheet, the application's main window for the whole run. It owns the
// pages, the page history, the task choice and the records of the key and the source.
#pragma once

#include "common/Types.h"
#include "framework/PropertySheet.h"
#include "keybuilder/DeviceManager.h"
#include "keybuilder/MediaDefinition.h"
#include "wizard/CompletePage.h"
#include "wizard/EulaPage.h"
#include "wizard/FindKeyPage.h"
#include "wizard/FormatPage.h"
#include "wizard/InsertMediaPage.h"
#include "wizard/SplashPage.h"
#include "wizard/TaskPage.h"

#include <deque>

// What PopPageHistory answers when no page lies behind the current one.
constexpr UINT kNoPreviousPage = static_cast<UINT>(-1);

// The sheet buttons, children of the sheet window.
constexpr int kBackButtonId = 0x3023;
constexpr int kNextButtonId = 0x3024;

// WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_FIXEDSYS | DS_3DLOOK
constexpr DWORD kWizardWindowStyle = 0x90CA004C;

enum WizardTask : Common::u32 {
    kCreateBootableKey = 0,
    kAddDiscToKey = 1,
};

class CWizard97 : public CPropertySheet {
  public:
    CWizard97(UINT nIDCaption, CWnd *pParentWnd, UINT iSelectPage);
    ~CWizard97() override;

    BOOL OnInitDialog() override;

    void PushPageHistory(UINT id);
    // kNoPreviousPage on an empty history.
    UINT PopPageHistory();
    // FALSE when the sheet has no such button.
    BOOL EnableCancelButton(BOOL enable);
    BOOL EnableBackNextButtons(BOOL enable);

    CSplashPage m_splashPage;
    CEula m_eulaPage;
    CTask m_taskPage;
    CFindKey m_findKeyPage;
    CFormat m_formatPage;
    CInsertMedia m_insertMediaPage;
    CCompletePage m_completePage;
    // Used as a stack: the ids of the pages left by Next, oldest first.
    std::deque<Common::u32> m_pageHistory;
    Common::u32 m_bTaskChosen;
    Common::u32 m_nTask;
    CDeviceManager m_deviceManager;
    CMediaDefinition m_mediaDefinition;
};
