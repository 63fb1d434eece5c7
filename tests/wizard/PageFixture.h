// The wizard sheet of this process with a USB key P: (disk 1, 30592 MB, its files in a fresh
// folder), the test format library in the system folder and the boot-loader installer beside the
// tests, the source images of make-page-images, and every message box answered and recorded.
#pragma once

#include "WizardSheetFixture.h"

#include "doubles/TestKey.h"
#include "support/win32/FakeKeyDevices.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/WineUsbDisks.h"

#include <string>
#include <vector>

constexpr char kKeyLetter = 'P';
constexpr unsigned kKeySizeMB = 30592;
constexpr int kFinishButtonId = 0x3025;

// The folder of this executable, with a trailing backslash.
std::string testFolder();
// An image made by make-page-images.
std::string pageImage(const char *name);
// String `id` of the table in the language of the user interface.
std::string loadedText(unsigned id);
std::string windowText(HWND window);

class PageFixture : public WizardSheetFixture {
  protected:
    explicit PageFixture(bool withKey = true, int answer = IDOK);
    void SetUp() override;
    void TearDown() override;

    HWND control(CWnd &page, int id) const { return ::GetDlgItem(page.m_hWnd, id); }
    void click(CWnd &page, int id);
    bool enabled(int buttonId) const { return ::IsWindowEnabled(::GetDlgItem(sheet->m_hWnd, buttonId)); }
    bool visible(int buttonId) const { return ::IsWindowVisible(::GetDlgItem(sheet->m_hWnd, buttonId)); }

    // From the welcome page to the select-media page, agreeing and choosing the task.
    void goToSelectMedia(unsigned task);
    // On the select-media page: the image radio and the path.
    void chooseImage(const std::string &path);
    // The texts of the boxes shown since the last call.
    std::vector<std::string> takeBoxes();
    // After a Next on the select-media page that was to be refused: where the page went on to the
    // format page, presses Next there as a user would, so that the build does to the key what it
    // does and a check of the key can see it. A failed build's end of the program returns here.
    void buildIfLetThrough();

    // The free space the key reports, in MB.
    static unsigned long long keyFreeMB;

    bool m_withKey;
    WineUsbDisks disks;
    FakeKeyDevices devices;
    MessageBoxRecorder boxes;
    std::string keyRoot;
    size_t m_boxesTaken = 0;
    const FormatCall *lastFormat = nullptr;
    SetFormatOutcomeFn setFormatOutcome = nullptr;

  private:
    static BOOL WINAPI freeSpace(LPCSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                 PULARGE_INTEGER totalFree);
    ScopedSystemCall<decltype(sys.GetDiskFreeSpaceExA)> m_freeSpace;
};
