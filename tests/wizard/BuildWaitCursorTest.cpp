// The hourglass through a real build: while the format worker is busy and the page's worker wait
// dispatches messages, a mouse moving over the page or its controls still sees the wait cursor.
#include "PageFixture.h"

#include "resources/resource.h"

namespace {

// What the user-interface thread saw while the format was held.
struct Probe {
    HWND page;
    HWND control;
    HANDLE started;
    HANDLE release;
    bool looked = false;
    HCURSOR overPage = nullptr;
    HCURSOR overControl = nullptr;
};
Probe *probe = nullptr;

HCURSOR cursorOver(HWND window) {
    ::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
}

// Runs on the user-interface thread, from the worker wait's dispatch.
void CALLBACK lookWhileFormatting(HWND, UINT, UINT_PTR, DWORD) {
    if (!probe || probe->looked || ::WaitForSingleObject(probe->started, 0) != WAIT_OBJECT_0)
        return;
    probe->overPage = cursorOver(probe->page);
    probe->overControl = cursorOver(probe->control);
    probe->looked = true;
    ::SetEvent(probe->release);
}

using BuildWaitCursorTest = PageFixture;

TEST_F(BuildWaitCursorTest, TheFormatWaitKeepsTheHourglassOverThePageAndItsControls) {
    goToSelectMedia(kCreateBootableKey);
    chooseImage(pageImage("plain"));
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 115u);

    auto hold = reinterpret_cast<HoldNextFormatFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("fmifs.dll"), kHoldNextFormat)));
    ASSERT_NE(hold, nullptr);
    HWND page = sheet->m_formatPage.m_hWnd;
    Probe seen{page, control(sheet->m_formatPage, IDC_WARNING), ::CreateEventA(nullptr, TRUE, FALSE, nullptr),
               ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    probe = &seen;
    hold(seen.started, seen.release);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, lookWhileFormatting);

    press(PSBTN_NEXT);

    ::KillTimer(nullptr, timer);
    probe = nullptr;
    ::SetEvent(seen.release);
    ::CloseHandle(seen.started);
    ::CloseHandle(seen.release);
    EXPECT_EQ(currentId(), 108u);
    ASSERT_TRUE(seen.looked) << "the format was never held";
    const HCURSOR wait = ::LoadCursorA(nullptr, IDC_WAIT);
    EXPECT_EQ(seen.overPage, wait);
    EXPECT_EQ(seen.overControl, wait);
    EXPECT_EQ(cursorOver(page), ::LoadCursorA(nullptr, IDC_ARROW)) << "the build is over";
}

} // namespace
