// Data exchange and the control wrappers, on one page of controls.
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Startup.h"

#include "TestSheet.h"
#include "support/win32/MessagePump.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class ControlsPage : public CPropertyPage {
  public:
    ControlsPage() : CPropertyPage(IDD_TEST_CONTROLS) {
        MapCommand(IDC_TEST_ANIMATION, ACN_START, &ControlsPage::OnAnimationStart);
        MapCommand(IDC_TEST_ANIMATION, ACN_STOP, &ControlsPage::OnAnimationStop);
    }
    void DoDataExchange(CDataExchange *pDX) override {
        CPropertyPage::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_TEST_SORTED_COMBO, m_combo);
        DDX_Control(pDX, IDC_TEST_RICHEDIT, m_richEdit);
        DDX_Control(pDX, IDC_TEST_ANIMATION, m_animation);
    }
    void OnAnimationStart() { ++m_starts; }
    void OnAnimationStop() { ++m_stops; }
    CComboBox m_combo;
    CRichEditCtrl m_richEdit;
    CAnimateCtrl m_animation;
    int m_starts = 0;
    int m_stops = 0;
};

class CheckPage : public CPropertyPage {
  public:
    CheckPage() : CPropertyPage(IDD_TEST_FIRST) {}
    void DoDataExchange(CDataExchange *pDX) override {
        DDX_Check(pDX, IDC_TEST_CHECK, m_checked);
        DDX_Control(pDX, IDC_TEST_CHECK, m_checkBox);
    }
    int m_checked = BST_CHECKED;
    CButton m_checkBox;
};

class CommandPage : public CPropertyPage {
  public:
    CommandPage() : CPropertyPage(IDD_TEST_FIRST) {
        MapCommand(IDC_TEST_BUTTON, BN_CLICKED, &CommandPage::OnPress);
        MapCommand(IDC_TEST_CHECK, BN_CLICKED, &CommandPage::OnCheck);
    }
    void OnPress() { ++presses; }
    void OnCheck() { ++checks; }
    int presses = 0;
    int checks = 0;
};

class OnePageSheet : public CPropertySheet {
  public:
    explicit OnePageSheet(CPropertyPage &page) : CPropertySheet(IDS_TEST_CAPTION) {
        m_psh.dwFlags |= PSH_WIZARD;
        AddPage(&page);
    }
};

class ControlsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ::InitCommonControls();
        ASSERT_TRUE(AfxInitRichEdit2());
    }
    void TearDown() override { PumpMessages(); }
};

TEST_F(ControlsTest, DataExchangeMovesCheckStatesBothWaysAndBindsControlsOnce) {
    CheckPage page;
    OnePageSheet sheet(page);
    ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
    ASSERT_NE(page.m_checkBox.m_hWnd, nullptr);
    HWND bound = page.m_checkBox.m_hWnd;
    EXPECT_EQ(page.m_checkBox.GetCheck(), BST_CHECKED) << "the page's initialisation fills its controls";

    page.m_checkBox.SetCheck(BST_UNCHECKED);
    page.UpdateData(TRUE);
    EXPECT_EQ(page.m_checked, BST_UNCHECKED);
    page.m_checked = BST_CHECKED;
    page.UpdateData(FALSE);
    EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_TEST_CHECK), BST_CHECKED);
    EXPECT_EQ(page.m_checkBox.m_hWnd, bound);
    EXPECT_EQ(CWnd::FromHandle(bound), &page.m_checkBox);
    sheet.DestroyWindow();
    EXPECT_EQ(page.m_checkBox.m_hWnd, nullptr) << "a control whose window is gone lets go of its handle";
}

TEST_F(ControlsTest, CommandTableRoutesEachControlsNotificationToItsHandler) {
    CommandPage page;
    OnePageSheet sheet(page);
    ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
    ::SendMessageA(::GetDlgItem(page.m_hWnd, IDC_TEST_BUTTON), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(page.m_hWnd, IDC_TEST_CHECK), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(page.m_hWnd, IDC_TEST_BUTTON), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(page.presses, 2);
    EXPECT_EQ(page.checks, 1);
    // Another notification of the same control has no entry.
    page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_SETFOCUS),
                     reinterpret_cast<LPARAM>(::GetDlgItem(page.m_hWnd, IDC_TEST_BUTTON)));
    EXPECT_EQ(page.presses, 2);
}

TEST_F(ControlsTest, SortedComboKeepsLetterOrderWhateverTheOrderOfAdding) {
    ControlsPage page;
    OnePageSheet sheet(page);
    ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
    CComboBox &combo = page.m_combo;
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    combo.AddString("F: (2000 MB)");
    combo.AddString("D: (401 MB)");
    EXPECT_EQ(combo.AddString("E: LABEL"), 1) << "an item goes to its sorted place";
    ASSERT_EQ(combo.GetCount(), 3);
    const char *expected[] = {"D: (401 MB)", "E: LABEL", "F: (2000 MB)"};
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        ASSERT_LT(combo.GetLBTextLen(i), static_cast<int>(sizeof(text)));
        combo.GetLBText(i, text);
        EXPECT_STREQ(text, expected[i]);
    }
    CString third;
    combo.GetLBText(2, third);
    EXPECT_EQ(third, "F: (2000 MB)");
    combo.GetLBText(3, third);
    EXPECT_TRUE(third.IsEmpty()) << "past the end";
    EXPECT_EQ(combo.SetCurSel(2), 2);
    EXPECT_EQ(combo.GetCurSel(), 2);
    for (int i = combo.GetCount() - 1; i >= 0; --i)
        combo.DeleteString(i);
    EXPECT_EQ(combo.GetCount(), 0);
    EXPECT_EQ(combo.SetCurSel(0), CB_ERR) << "selecting in an empty list selects nothing";
}

struct TextSource {
    std::string text;
    size_t offset = 0;
    int calls = 0;
};

DWORD CALLBACK readChunk(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG *read) {
    auto *source = reinterpret_cast<TextSource *>(cookie);
    ++source->calls;
    size_t n = std::min(static_cast<size_t>(count), source->text.size() - source->offset);
    std::memcpy(buffer, source->text.data() + source->offset, n);
    source->offset += n;
    *read = static_cast<LONG>(n);
    return 0;
}

TEST_F(ControlsTest, RichEditStreamsPlainTextInSeveralChunksAndTakesOptions) {
    ControlsPage page;
    OnePageSheet sheet(page);
    ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
    TextSource source;
    // Longer than one offered buffer, so the callback must be asked more than once.
    for (int i = 0; i < 2000; ++i)
        source.text += "line " + std::to_string(i) + " {\\rtf not interpreted}\r\n";
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, readChunk};
    page.m_richEdit.StreamIn(SF_TEXT, stream);
    EXPECT_EQ(stream.dwError, 0u);
    EXPECT_GT(source.calls, 2);
    EXPECT_EQ(source.offset, source.text.size());
    // Plain text: the braces and backslashes arrive as they are, nothing is lost.
    EXPECT_EQ(page.m_richEdit.GetTextLength(), static_cast<long>(source.text.size()));

    UINT before = page.m_richEdit.GetOptions();
    UINT after = page.m_richEdit.SetOptions(ECOOP_OR, ECO_READONLY | ECO_SAVESEL);
    EXPECT_EQ(after & (ECO_READONLY | ECO_SAVESEL), UINT(ECO_READONLY | ECO_SAVESEL));
    EXPECT_EQ(after & before, before) << "ECOOP_OR keeps the options already set";
}

TEST_F(ControlsTest, AnimationOpensTheResourceClipPlaysStopsAndCloses) {
    ControlsPage page;
    OnePageSheet sheet(page);
    ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
    CAnimateCtrl &animation = page.m_animation;
    EXPECT_FALSE(animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1))) << "nothing to play yet";
    ASSERT_TRUE(animation.Open(IDR_TEST_ANIMATION));
    EXPECT_TRUE(animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1)));
    // The clip posts its page a notification as it starts and as it stops; the page has it once
    // this thread has dispatched what was posted.
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_EQ(page.m_starts, 1) << "the page heard that the clip plays";
    EXPECT_TRUE(animation.Stop());
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_EQ(page.m_stops, 1) << "the page heard that the clip stopped";
    animation.Close();
    EXPECT_FALSE(animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1))) << "the clip is closed";
    EXPECT_FALSE(animation.Open(9999)) << "a missing clip";
}

} // namespace
