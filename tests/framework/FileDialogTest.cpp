// The file-open dialog: filter, flags, default extension, the chosen path, and its owner.
#include "framework/FileDialog.h"

#include "TestSheet.h"
#include "support/ScratchFolder.h"
#include "support/win32/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// Answers the dialog that the given thread opens, as a user would: types a name and presses
// OK, or presses Cancel when name is null. Reads the first filter entry, the dialog's owner and
// whether that owner took input on the way. A sheet of the same thread is no file dialog.
class DialogAnswerer {
  public:
    explicit DialogAnswerer(const char *name, HWND sheet = nullptr)
        : m_name(name ? name : ""), m_cancel(!name), m_sheet(sheet) {
        m_thread = std::thread([this, owner = ::GetCurrentThreadId()] { run(owner); });
    }
    ~DialogAnswerer() { finish(); }
    std::string filter() {
        finish();
        return m_filter;
    }
    HWND owner() {
        finish();
        return m_owner;
    }
    bool ownerEnabled() {
        finish();
        return m_ownerEnabled;
    }

  private:
    void finish() {
        if (m_thread.joinable())
            m_thread.join();
    }

    void run(DWORD thread) {
        struct Search {
            HWND sheet;
            HWND found;
        } search{m_sheet, nullptr};
        for (int i = 0; i < 500 && !search.found; ++i) {
            ::EnumThreadWindows(
                thread,
                [](HWND h, LPARAM param) {
                    auto *s = reinterpret_cast<Search *>(param);
                    char cls[32];
                    ::GetClassNameA(h, cls, sizeof(cls));
                    if (h != s->sheet && std::string(cls) == "#32770" && ::IsWindowVisible(h)) {
                        s->found = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (!search.found)
                ::Sleep(10);
        }
        HWND dialog = search.found;
        if (!dialog)
            return;
        m_owner = ::GetWindow(dialog, GW_OWNER);
        m_ownerEnabled = m_owner && ::IsWindowEnabled(m_owner);
        char first[64] = {};
        if (HWND types = ::GetDlgItem(dialog, cmb1))
            ::SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        m_filter = first;
        if (m_cancel) {
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        if (!::SetDlgItemTextA(dialog, cmb13, m_name.c_str()))
            ::SetDlgItemTextA(dialog, edt1, m_name.c_str());
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }

    std::string m_name;
    bool m_cancel;
    HWND m_sheet;
    std::string m_filter;
    HWND m_owner = nullptr;
    bool m_ownerEnabled = false;
    std::thread m_thread;
};

constexpr DWORD kOpenImageFlags =
    OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

TEST(FileDialogTest, ReturnsTheChosenFullPathAndShowsTheFilter) {
    ScratchFolder folder;
    folder.write("disc.iso", "x");
    CFileDialog dialog(TRUE, ".iso", nullptr, kOpenImageFlags, "*.iso|*.iso||", nullptr, 0, TRUE);
    dialog.m_ofn.lpstrInitialDir = folder.path().c_str();
    DialogAnswerer answer((folder / "disc.iso").c_str());
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::string(dialog.GetPathName()), folder / "disc.iso");
    EXPECT_EQ(answer.filter(), "*.iso");
}

TEST(FileDialogTest, HandsTheHostItsOwnFormsOfFilterAndExtension) {
    CFileDialog dialog(TRUE, ".iso", nullptr, kOpenImageFlags, "Images|*.iso|All|*.*||");
    // The host wants NUL separators ending in a double NUL, and the extension without its dot
    // (with the dot, a typed "disc" would become "disc..iso").
    const char expected[] = "Images\0*.iso\0All\0*.*\0\0";
    EXPECT_EQ(std::string(dialog.m_ofn.lpstrFilter, sizeof(expected)),
              std::string(expected, sizeof(expected)));
    EXPECT_STREQ(dialog.m_ofn.lpstrDefExt, "iso");
    EXPECT_EQ(dialog.m_ofn.Flags & kOpenImageFlags, kOpenImageFlags);
}

TEST(FileDialogTest, CancelLeavesNoPath) {
    CFileDialog dialog(TRUE, ".iso", nullptr, kOpenImageFlags, "*.iso|*.iso||");
    DialogAnswerer answer(nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(dialog.GetPathName().IsEmpty());
    EXPECT_EQ(answer.owner(), nullptr) << "without a main window the dialog has no owner";
}

// Opened without a parent while the wizard runs: the main window owns the dialog and takes no
// input until it closes, so no Next or Cancel of the sheet can run under it.
TEST(FileDialogTest, WithoutAParentTheMainWindowOwnsTheDialogAndIsDisabledMeanwhile) {
    ::InitCommonControls();
    CWinApp app;
    TestSheet sheet;
    ASSERT_TRUE(sheet.Create(nullptr, kModelessWizardStyle));
    app.m_pMainWnd = &sheet;
    PumpMessages();

    CFileDialog dialog(TRUE, ".iso", nullptr, kOpenImageFlags, "*.iso|*.iso||", nullptr, 0, TRUE);
    DialogAnswerer answer(nullptr, sheet.m_hWnd);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(answer.owner(), sheet.m_hWnd);
    EXPECT_FALSE(answer.ownerEnabled()) << "the sheet took input while the dialog was up";
    EXPECT_TRUE(::IsWindowEnabled(sheet.m_hWnd)) << "the sheet stays disabled after the dialog";

    app.m_pMainWnd = nullptr;
    sheet.DestroyWindow();
    PumpMessages();
}

} // namespace
