// Message pumping for window tests.
#include "support/win32/MessagePump.h"

#include "framework/WinApp.h"

namespace {

// A window of the pumping thread that counts the markers dispatched to it.
constexpr UINT kMarkerMessage = WM_APP + 0x3A7;
constexpr const char *kMarkerClass = "OrvellaPumpMarker";

LRESULT CALLBACK countMarkers(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kMarkerMessage)
        return ::DefWindowProcA(window, message, wParam, lParam);
    ++*reinterpret_cast<unsigned *>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    return 0;
}

} // namespace

bool PumpMessages(int *exitCode) {
    bool quit = false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            if (exitCode)
                *exitCode = static_cast<int>(msg.wParam);
            continue;
        }
        CWinApp *app = AfxGetApp();
        if (app && app->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return quit;
}

bool PumpPostedMessages(DWORD timeoutMs) {
    static const ATOM registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = countMarkers;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kMarkerClass;
        return ::RegisterClassA(&windowClass);
    }();
    if (!registered)
        return false;
    HWND marker = ::CreateWindowExA(0, kMarkerClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!marker)
        return false;
    unsigned handled = 0;
    ::SetWindowLongPtrA(marker, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handled));
    bool done = true;
    for (unsigned round = 1; done && round <= 2; ++round) {
        done = ::PostMessageA(marker, kMarkerMessage, 0, 0) &&
               PumpUntil([&] { return handled == round; }, timeoutMs);
    }
    ::DestroyWindow(marker);
    return done;
}
