// A running wizard sheet in this process, created as the program creates it, with helpers to
// press its buttons and read where it stands.
#pragma once

#include "framework/Startup.h"
#include "framework/WinApp.h"
#include "support/win32/MessagePump.h"
#include "wizard/Wizard97.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <vector>

class WizardSheetFixture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ::InitCommonControls();
        AfxInitRichEdit2();
    }
    void SetUp() override {
        sheet = std::make_unique<CWizard97>(106, nullptr, 0);
        app.m_pMainWnd = sheet.get();
        ASSERT_TRUE(sheet->Create(nullptr, kWizardWindowStyle, 0));
        PumpMessages();
    }
    void TearDown() override {
        sheet.reset();
        PumpMessages();
    }

    void press(int button) {
        sheet->PressButton(button);
        PumpMessages();
    }
    UINT currentId() const {
        auto *page = dynamic_cast<CDKPropertyPage *>(sheet->GetActivePage());
        return page ? page->m_nIDD : 0;
    }
    std::vector<UINT> history() const { return {sheet->m_pageHistory.begin(), sheet->m_pageHistory.end()}; }

    CWinApp app;
    std::unique_ptr<CWizard97> sheet;
};
