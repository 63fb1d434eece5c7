// Tests of CWaitCursor: nested hourglasses, the cursor that comes back, and the hourglass kept over
// the sheet and its pages while the mouse moves.
#include "framework/CWaitCursor.h"

#include "TestSheet.h"
#include "support/win32/MessagePump.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(CWaitCursor, NestedWaitCursorsRestoreTheCursorShownBefore) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    {
        CWaitCursor outer;
        EXPECT_EQ(wait, GetCursor());
        {
            CWaitCursor inner;
            SetCursor(arrow);
            inner.Restore();
            EXPECT_EQ(wait, GetCursor());
        }
        EXPECT_EQ(wait, GetCursor());
    }
    EXPECT_EQ(cross, GetCursor());
}

class WaitCursorOverTheSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        ::InitCommonControls();
        ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
        PumpMessages();
        other = ::CreateWindowA("Button", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, sheet.m_hWnd, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(other, nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(other);
        if (sheet.m_hWnd)
            sheet.DestroyWindow();
        PumpMessages();
    }

    // The cursor once the window's request for one has been dispatched, as a mouse moving over it
    // during a build's waits has it dispatched. Another cursor is shown before, so a request that
    // was never dispatched shows too.
    static std::string cursorOver(HWND window) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_CROSS));
        ::PostMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_TRUE(PumpPostedMessages()) << "the request was not handled";
        HCURSOR shown = ::GetCursor();
        for (auto [id, name] : {std::pair{IDC_WAIT, "hourglass"}, {IDC_ARROW, "arrow"}, {IDC_CROSS, "cross"}})
            if (shown == ::LoadCursorA(nullptr, id))
                return name;
        return "another cursor";
    }

    TestSheet sheet;
    // A window of the sheet's thread that is not the wizard's, as a message box is.
    HWND other = nullptr;
};

TEST_F(WaitCursorOverTheSheet, TheSheetPagesAndControlsKeepTheHourglassUntilTheLastWaitEnds) {
    const std::string arrow = "arrow", wait = "hourglass";
    const struct {
        const char *what;
        HWND window;
    } windows[] = {
        {"sheet", sheet.m_hWnd},
        {"page", sheet.m_first.m_hWnd},
        {"page's button", ::GetDlgItem(sheet.m_first.m_hWnd, IDC_TEST_BUTTON)},
        {"sheet's Next button", sheet.button(kNextButton)},
    };
    auto expectEverywhere = [&](const std::string &expected, const char *when) {
        for (const auto &w : windows) {
            ASSERT_NE(w.window, nullptr) << w.what;
            EXPECT_EQ(cursorOver(w.window), expected) << w.what << " " << when;
        }
    };

    {
        CWaitCursor outer;
        expectEverywhere(wait, "during the wait");
        EXPECT_EQ(cursorOver(other), arrow) << "a window that is not the wizard's keeps its own cursor";
        { CWaitCursor inner; }
        expectEverywhere(wait, "after a nested wait ended");
    }
    expectEverywhere(arrow, "after the wait");
}

} // namespace
