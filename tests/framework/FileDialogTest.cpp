// The file-open dialog: filter, flags, default extension and the chosen path.
#include "framework/FileDialog.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// Answers the dialog that the given thread opens, as a user would: types a name and presses
// OK, or presses Cancel when name is null. Reads the first filter entry on the way.
class DialogAnswerer {
  public:
    DialogAnswerer(const char *name) : m_name(name ? name : ""), m_cancel(!name) {
        m_thread = std::thread([this, owner = ::GetCurrentThreadId()] { run(owner); });
    }
    ~DialogAnswerer() { m_thread.join(); }
    std::string filter() {
        m_thread.join();
        m_thread = std::thread([] {});
        return m_filter;
    }

  private:
    void run(DWORD owner) {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && !dialog; ++i) {
            ::EnumThreadWindows(
                owner,
                [](HWND h, LPARAM found) {
                    char cls[32];
                    ::GetClassNameA(h, cls, sizeof(cls));
                    if (std::string(cls) == "#32770" && ::IsWindowVisible(h)) {
                        *reinterpret_cast<HWND *>(found) = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&dialog));
            if (!dialog)
                ::Sleep(10);
        }
        if (!dialog)
            return;
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
    std::string m_filter;
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
}

} // namespace
