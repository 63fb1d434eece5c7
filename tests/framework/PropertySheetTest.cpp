// The modeless wizard sheet: page creation, navigation results, button states, cancel and finish.
#include "TestSheet.h"

#include "support/win32/MessagePump.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class PropertySheetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::InitCommonControls();
        ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
        PumpMessages();
    }
    void TearDown() override {
        if (sheet.m_hWnd)
            sheet.DestroyWindow();
        PumpMessages();
    }

    int count(const std::string &entry) const {
        return static_cast<int>(std::count(sheet.log.begin(), sheet.log.end(), entry));
    }
    void press(int button) {
        sheet.PressButton(button);
        PumpMessages();
    }
    bool ended() {
        return PumpUntil([&] { return sheet.m_hWnd == nullptr; }, 2000);
    }

    TestSheet sheet;
};

TEST_F(PropertySheetTest, CreatesEachPageWindowAtItsFirstActivationOnly) {
    EXPECT_NE(sheet.m_first.m_hWnd, nullptr);
    EXPECT_EQ(sheet.m_second.m_hWnd, nullptr);
    EXPECT_EQ(sheet.m_first.m_sheetAtInit, &sheet) << "the first page must find its sheet through its parent";

    press(PSBTN_NEXT);
    EXPECT_EQ(sheet.activeIndex(), 1);
    EXPECT_EQ(sheet.m_second.m_sheetAtInit, &sheet);
    press(PSBTN_BACK);
    press(PSBTN_NEXT);
    EXPECT_EQ(sheet.activeIndex(), 1);
    EXPECT_EQ(count("9001 init"), 1);
    EXPECT_EQ(count("9002 init"), 1);
    EXPECT_EQ(count("9002 active"), 2);
    EXPECT_EQ(count("9001 active"), 2);
}

TEST_F(PropertySheetTest, NextAndBackResultsChooseTheNextPage) {
    struct Case {
        const char *what;
        LRESULT result;
        int expected;
    } cases[] = {
        {"0 goes to the neighbour", 0, 1},
        {"-1 stays", -1, 0},
        {"a dialog id jumps to that page", IDD_TEST_THIRD, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sheet.SetActivePage(0);
        PumpMessages();
        sheet.m_first.m_nextResult = c.result;
        press(PSBTN_NEXT);
        EXPECT_EQ(sheet.activeIndex(), c.expected);
    }

    sheet.SetActivePage(2);
    PumpMessages();
    sheet.m_third.m_backResult = -1;
    press(PSBTN_BACK);
    EXPECT_EQ(sheet.activeIndex(), 2) << "Back returning -1 stays";
    sheet.m_third.m_backResult = IDD_TEST_FIRST;
    press(PSBTN_BACK);
    EXPECT_EQ(sheet.activeIndex(), 0) << "Back returning an id jumps";
}

TEST_F(PropertySheetTest, PostedButtonStatesApplyInPostingOrderAfterTheHandlerReturns) {
    sheet.SetWizardButtons(PSWIZB_NEXT);
    sheet.SetWizardButtons(PSWIZB_BACK);
    PumpMessages();
    EXPECT_TRUE(::IsWindowEnabled(sheet.button(kBackButton)));
    EXPECT_FALSE(::IsWindowEnabled(sheet.button(kNextButton))) << "the last state posted wins";

    sheet.SetWizardButtons(PSWIZB_NEXT);
    EXPECT_FALSE(::IsWindowEnabled(sheet.button(kNextButton))) << "nothing changes before the queue runs";
    PumpMessages();
    EXPECT_TRUE(::IsWindowEnabled(sheet.button(kNextButton)));
    EXPECT_FALSE(::IsWindowEnabled(sheet.button(kBackButton)));

    sheet.SetWizardButtons(PSWIZB_FINISH);
    PumpMessages();
    EXPECT_TRUE(::IsWindowVisible(sheet.button(kFinishButton)));
}

TEST_F(PropertySheetTest, CarriesTheRequestedWindowStyle) {
    LONG style = ::GetWindowLongA(sheet.m_hWnd, GWL_STYLE);
    for (DWORD bit : {DWORD(WS_POPUP), DWORD(WS_CAPTION), DWORD(WS_SYSMENU), DWORD(WS_MINIMIZEBOX)})
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    EXPECT_TRUE(::IsWindowVisible(sheet.m_hWnd));
}

// Every route to a cancel: the Cancel button (and Esc), the close box, and a pressed button.
struct CancelRoute {
    const char *what;
    void (*send)(HWND sheet);
};

void PrintTo(const CancelRoute &route, std::ostream *out) { *out << route.what; }

const CancelRoute cancelRoutes[] = {
    {"Cancel button", [](HWND h) { ::SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
    {"close box", [](HWND h) { ::SendMessageA(h, WM_CLOSE, 0, 0); }},
    {"PSM_PRESSBUTTON", [](HWND h) { ::SendMessageA(h, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }},
};

class CancelRouteTest : public PropertySheetTest, public ::testing::WithParamInterface<CancelRoute> {};

TEST_P(CancelRouteTest, ReachesEveryCreatedPageThenEndsTheSheet) {
    press(PSBTN_NEXT);
    sheet.log.clear();
    GetParam().send(sheet.m_hWnd);
    EXPECT_EQ(sheet.log, (std::vector<std::string>{"9002 querycancel", "9001 cancel", "9002 cancel"}));
    EXPECT_TRUE(ended());
}

TEST_P(CancelRouteTest, DoesNothingWhileCancelIsDisabled) {
    ::EnableWindow(sheet.button(IDCANCEL), FALSE);
    GetParam().send(sheet.m_hWnd);
    PumpMessages();
    EXPECT_TRUE(sheet.log.size() == 2) << "only the first page's init and activation";
    ASSERT_NE(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.activeIndex(), 0) << "the sheet still has its current page";
}

TEST_P(CancelRouteTest, ADeclinedCancelKeepsTheSheetAndItsCurrentPage) {
    press(PSBTN_NEXT);
    press(PSBTN_NEXT);
    sheet.m_second.m_declineCancel = true;
    sheet.log.clear();
    GetParam().send(sheet.m_hWnd);
    PumpMessages();
    EXPECT_EQ(sheet.log, (std::vector<std::string>{"9003 querycancel", "9001 cancel", "9002 cancel"}))
        << "pages after the one that declined are not asked";
    ASSERT_NE(sheet.m_hWnd, nullptr);
    EXPECT_EQ(sheet.activeIndex(), 2);
    EXPECT_TRUE(::IsWindowEnabled(sheet.button(IDCANCEL)));

    sheet.m_second.m_declineCancel = false;
    GetParam().send(sheet.m_hWnd);
    EXPECT_TRUE(ended()) << "a later cancel that nobody declines ends the sheet";
}

INSTANTIATE_TEST_SUITE_P(Routes, CancelRouteTest, ::testing::ValuesIn(cancelRoutes), [](const auto &info) {
    std::string name = info.param.what;
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !isalnum(c); }), name.end());
    return name;
});

TEST_F(PropertySheetTest, QueryCancelRefusedReachesNoOtherPage) {
    sheet.m_first.m_allowCancel = FALSE;
    sheet.log.clear();
    press(PSBTN_CANCEL);
    EXPECT_EQ(sheet.log, std::vector<std::string>{"9001 querycancel"});
    EXPECT_NE(sheet.m_hWnd, nullptr);
}

TEST_F(PropertySheetTest, FinishEndsTheSheetAndDestroyingTheMainWindowEndsTheLoopWithZero) {
    CWinApp app;
    app.m_pMainWnd = &sheet;
    sheet.SetActivePage(2);
    sheet.SetWizardButtons(PSWIZB_FINISH);
    PumpMessages();
    // Pressed from inside the loop, as a click would be.
    sheet.PostMessage(PSM_PRESSBUTTON, PSBTN_FINISH);
    EXPECT_EQ(app.Run(), 0);
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(count("9003 finish"), 1);
    EXPECT_EQ(count("9003 cancel"), 0);
}

TEST_F(PropertySheetTest, AClosePendingBehindFinishReachesNoPage) {
    sheet.SetActivePage(2);
    sheet.SetWizardButtons(PSWIZB_FINISH);
    PumpMessages();
    sheet.log.clear();
    // The close arrives after the host has ended the sheet, before the sheet window is gone.
    sheet.PostMessage(PSM_PRESSBUTTON, PSBTN_FINISH);
    sheet.PostMessage(WM_CLOSE);
    EXPECT_TRUE(ended());
    EXPECT_EQ(sheet.log, std::vector<std::string>{"9003 finish"}) << "a finished wizard is not cancelled";
}

TEST_F(PropertySheetTest, FinishRefusedByThePageKeepsTheSheet) {
    sheet.SetWizardButtons(PSWIZB_FINISH);
    PumpMessages();
    sheet.m_first.m_allowFinish = FALSE;
    press(PSBTN_FINISH);
    EXPECT_EQ(count("9001 finish"), 1);
    EXPECT_FALSE(PumpUntil([&] { return sheet.m_hWnd == nullptr; }, 300));
    EXPECT_EQ(sheet.activeIndex(), 0);
}

} // namespace
