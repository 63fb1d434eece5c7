// Message pumping for window tests.
#include "support/win32/MessagePump.h"

#include "framework/WinApp.h"

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
