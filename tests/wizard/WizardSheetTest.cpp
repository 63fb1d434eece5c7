// The wizard sheet: its pages and flags, the page history through Next and Back, the buttons,
// the icon and the bold texts.
#include "WizardSheetFixture.h"

#include "framework/MessageBox.h"
#include "platform/SystemCalls.h"
#include "wizard/ControlFont.h"

#include <string>

namespace {

using WizardSheetTest = WizardSheetFixture;

const UINT pageOrder[] = {119, 173, 174, 106, 109, 115, 108};

TEST_F(WizardSheetTest, AddsTheSevenPagesInPageOrderAsAPlainWizardWithoutHelp) {
    ASSERT_EQ(sheet->GetPageCount(), 7);
    for (int i = 0; i < 7; ++i) {
        auto *page = static_cast<CDKPropertyPage *>(sheet->GetPage(i));
        EXPECT_EQ(page->m_nIDD, pageOrder[i]);
        EXPECT_EQ(page->m_psp.pszTemplate, MAKEINTRESOURCEA(pageOrder[i]));
        EXPECT_EQ(page->m_psp.dwFlags & PSP_HASHELP, 0u);
        bool exterior = pageOrder[i] == 119 || pageOrder[i] == 108;
        EXPECT_EQ(page->m_psp.dwFlags & (PSP_HIDEHEADER | PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE),
                  exterior ? DWORD(PSP_HIDEHEADER) : DWORD(PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE))
            << pageOrder[i];
    }
    EXPECT_EQ(sheet->m_psh.dwFlags & (PSH_WIZARD | PSH_HASHELP), DWORD(PSH_WIZARD));
    EXPECT_EQ(sheet->m_bTaskChosen, 0u);
    EXPECT_EQ(currentId(), 119u);
    EXPECT_EQ(sheet->m_splashPage.m_pSheet, sheet.get());
    EXPECT_EQ(&MainWindowDeviceManager(), &sheet->m_deviceManager);
}

HWND boxOwner = nullptr;
int recordOwner(HWND owner, LPCSTR, LPCSTR, UINT) {
    boxOwner = owner;
    return IDOK;
}

TEST_F(WizardSheetTest, MessageBoxesAreOwnedByTheSheet) {
    ScopedSystemCall<decltype(sys.MessageBoxA)> boxes(sys.MessageBoxA, recordOwner);
    AfxMessageBox("text", MB_OK);
    EXPECT_EQ(boxOwner, sheet->m_hWnd);
}

TEST_F(WizardSheetTest, SetsIconGroup131AsBigAndSmallIcon) {
    EXPECT_NE(sheet->SendMessage(WM_GETICON, ICON_BIG), 0);
    EXPECT_NE(sheet->SendMessage(WM_GETICON, ICON_SMALL), 0);
}

// N presses Next, B presses Back; afterwards the history holds exactly the pages before the
// current one, in order.
struct Walk {
    const char *keys;
    UINT current;
    std::vector<UINT> history;
};

void PrintTo(const Walk &walk, std::ostream *out) { *out << walk.keys; }

const Walk walks[] = {
    {"", 119, {}},
    {"N", 173, {119}},
    {"NB", 119, {}},
    {"NBN", 173, {119}},
    {"NNN", 106, {119, 173, 174}},
    {"NNNBB", 173, {119}},
    {"NNNN", 109, {119, 173, 174, 106}},
    {"NNNNBBN", 106, {119, 173, 174}},
    {"B", 119, {}}, // nothing behind the first page: Back stays
};

class WizardWalkTest : public WizardSheetFixture, public ::testing::WithParamInterface<Walk> {};

TEST_P(WizardWalkTest, HistoryHoldsThePagesBeforeTheCurrentOne) {
    for (const char *key = GetParam().keys; *key; ++key) {
        // Next is pressed whatever the licence page allows: the history is what this walk is about.
        sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        PumpMessages();
        press(*key == 'N' ? PSBTN_NEXT : PSBTN_BACK);
    }
    EXPECT_EQ(currentId(), GetParam().current);
    EXPECT_EQ(history(), GetParam().history);
}

INSTANTIATE_TEST_SUITE_P(Walks, WizardWalkTest, ::testing::ValuesIn(walks), [](const auto &info) {
    return info.param.keys[0] ? std::string(info.param.keys) : std::string("none");
});

TEST_F(WizardSheetTest, ButtonOperationsReachTheSheetButtonsAndFailWhenOneIsMissing) {
    HWND back = ::GetDlgItem(sheet->m_hWnd, kBackButtonId), next = ::GetDlgItem(sheet->m_hWnd, kNextButtonId);
    EXPECT_TRUE(sheet->EnableBackNextButtons(FALSE));
    EXPECT_FALSE(::IsWindowEnabled(back));
    EXPECT_FALSE(::IsWindowEnabled(next));
    EXPECT_TRUE(sheet->EnableBackNextButtons(TRUE));
    EXPECT_TRUE(::IsWindowEnabled(back));
    EXPECT_TRUE(::IsWindowEnabled(next));
    EXPECT_TRUE(sheet->EnableCancelButton(FALSE));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(sheet->m_hWnd, IDCANCEL)));

    ::DestroyWindow(back);
    EXPECT_FALSE(sheet->EnableBackNextButtons(FALSE));
    EXPECT_TRUE(::IsWindowEnabled(next)) << "with Back missing, Next is left as it was";
    ::DestroyWindow(::GetDlgItem(sheet->m_hWnd, IDCANCEL));
    EXPECT_FALSE(sheet->EnableCancelButton(TRUE));
}

LONG weightOf(HWND control) {
    LOGFONTA description{};
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    if (!font || !::GetObjectA(font, sizeof(description), &description))
        return -1; // no font, or one already deleted
    return description.lfWeight;
}

TEST_F(WizardSheetTest, BoldTextStaysBoldAfterThePageIsShownAgain) {
    press(PSBTN_NEXT);
    press(PSBTN_NEXT);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 106u);
    HWND caution = ::GetDlgItem(sheet->m_insertMediaPage.m_hWnd, IDC_CAUTION);
    ASSERT_TRUE(SetControlFontWeight(CWnd::FromHandle(caution), FW_BOLD));
    EXPECT_EQ(weightOf(caution), FW_BOLD);

    press(PSBTN_NEXT);
    press(PSBTN_BACK);
    ASSERT_EQ(currentId(), 106u);
    // Painting draws with the font the control holds: it must still exist and still be bold.
    ::RedrawWindow(caution, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(weightOf(caution), FW_BOLD);

    // The page lets go of the font once its controls are gone, and not before.
    HGDIOBJ bold = reinterpret_cast<HGDIOBJ>(::SendMessageA(caution, WM_GETFONT, 0, 0));
    sheet->DestroyWindow();
    PumpMessages();
    EXPECT_EQ(::GetObjectType(bold), 0u);
}

TEST_F(WizardSheetTest, FontWeightOfAControlWithoutFontChangesNothing) {
    // A window of its own class has no font until it is given one.
    HWND bare =
        ::CreateWindowA("Static", "x", WS_CHILD, 0, 0, 10, 10, sheet->m_hWnd, nullptr, nullptr, nullptr);
    ::SendMessageA(bare, WM_SETFONT, 0, FALSE);
    EXPECT_FALSE(SetControlFontWeight(CWnd::FromHandle(bare), FW_BOLD));
    EXPECT_EQ(::SendMessageA(bare, WM_GETFONT, 0, 0), 0);
    ::DestroyWindow(bare);
}

} // namespace
