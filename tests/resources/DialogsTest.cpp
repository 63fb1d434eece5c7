// The dialogs and art: every page dialog in both languages with the same control ids, the English
// captions, and the pictures, icon and animation the pages load.
#include "framework/Startup.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <set>
#include <string>

namespace {

struct DialogCase {
    UINT id;
    const char *caption;
    std::set<int> controls;
};

void PrintTo(const DialogCase &c, std::ostream *out) { *out << c.id; }

const DialogCase dialogs[] = {
    {IDD_SPLASH, "Orvella 2.0", {IDC_WELCOME_BITMAP}},
    {IDD_EULA, "Orvella 2.0 - End-User License Agreement", {IDC_EULA_TEXT, IDC_AGREE, IDC_DISAGREE}},
    {IDD_TASK, "Orvella 2.0 - Task", {IDC_TASK_CREATE, IDC_TASK_ADD}},
    {IDD_INSERT_MEDIA, "Orvella 2.0 - Insert Media", {IDC_CAUTION}},
    {IDD_FIND_KEY,
     "Orvella 2.0 - Select Media",
     {IDC_SOURCE_CHOOSE_TEXT, IDC_CD_DRIVE_RADIO, IDC_CD_DRIVE_LABEL, IDC_SOURCE_COMBO, IDC_RESCAN_SOURCE,
      IDC_ISO_FILE_RADIO, IDC_FROM_FILE_LABEL, IDC_ISO_PATH, IDC_BROWSE_ISO, IDC_TARGET_CHOOSE_TEXT,
      IDC_TARGET_LABEL, IDC_TARGET_COMBO, IDC_RESCAN_TARGET, IDC_INFO_TEXT}},
    {IDD_FORMAT,
     "Orvella 2.0 - Format/Copy",
     {IDC_STATUS_LINE, IDC_TITLE_LINE, IDC_COPY_ANIMATION, IDC_WARNING}},
    {IDD_COMPLETE, "Orvella 2.0 - Complete", {IDC_VIEW_README, IDC_VIEW_LOG, IDC_RESULT_LINE}},
};

struct Built {
    std::wstring caption;
    std::set<int> controls;
    bool made = false;
};

// Builds the dialog of one language as a child of a hidden window and reads it back.
Built build(UINT id, LANGID language) {
    Built built;
    HRSRC found = ::FindResourceExA(nullptr, RT_DIALOG, MAKEINTRESOURCEA(id), language);
    if (!found)
        return built;
    auto *dialogTemplate = static_cast<LPCDLGTEMPLATEA>(::LockResource(::LoadResource(nullptr, found)));
    HWND parent = ::CreateWindowA("Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND dialog = ::CreateDialogIndirectParamA(
        nullptr, dialogTemplate, parent, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (dialog) {
        built.made = true;
        wchar_t caption[128] = {};
        ::GetWindowTextW(dialog, caption, 128);
        built.caption = caption;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetDlgCtrlID(child) != 0xFFFF && ::GetDlgCtrlID(child) != -1)
                built.controls.insert(::GetDlgCtrlID(child));
        ::DestroyWindow(dialog);
    }
    ::DestroyWindow(parent);
    return built;
}

class DialogsTest : public ::testing::TestWithParam<DialogCase> {
  protected:
    static void SetUpTestSuite() {
        ::InitCommonControls();
        AfxInitRichEdit2();
    }
};

TEST_P(DialogsTest, BothLanguagesCarryTheControlIdsAndTheirOwnCaption) {
    const DialogCase &c = GetParam();
    Built english = build(c.id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    Built japanese = build(c.id, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_TRUE(english.made);
    ASSERT_TRUE(japanese.made);
    EXPECT_EQ(english.controls, c.controls);
    EXPECT_EQ(japanese.controls, c.controls);
    std::wstring expected(c.caption, c.caption + std::string(c.caption).size());
    EXPECT_EQ(english.caption, expected);
    EXPECT_EQ(japanese.caption.rfind(L"Orvella 2.0", 0), 0u) << "the product name stays as it is";
    if (c.id != IDD_SPLASH)
        EXPECT_NE(japanese.caption, english.caption) << "the Japanese caption is translated";
}

INSTANTIATE_TEST_SUITE_P(Pages, DialogsTest, ::testing::ValuesIn(dialogs),
                         [](const auto &info) { return std::to_string(info.param.id); });

TEST(ArtTest, PicturesIconAndAnimationLoad) {
    for (UINT id : {IDB_BANNER_LEFT, IDB_BANNER_RIGHT, IDB_WELCOME}) {
        HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        EXPECT_NE(bitmap, nullptr) << id;
        ::DeleteObject(bitmap);
    }
    EXPECT_NE(::LoadIconW(::GetModuleHandleA(nullptr), MAKEINTRESOURCEW(IDI_ORVELLA)), nullptr);
    EXPECT_NE(::FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_COPY_ANIMATION), "AVI"), nullptr);
}

TEST(ArtTest, OnlyTheProductCarriesTheManifest) {
    EXPECT_EQ(::FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_MANIFEST), nullptr)
        << "a test executable must run with the default common controls and without elevation";
}

} // namespace
