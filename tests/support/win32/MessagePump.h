// Message pumping for window tests: runs this thread's queue as the application's loop would.
#pragma once

#include <windows.h>

// Dispatches every queued message (offering each to the application's main window first), then
// returns; true when a quit message was seen, whose code goes to *exitCode.
bool PumpMessages(int *exitCode = nullptr);

// Pumps until condition() holds or timeoutMs passes; returns condition().
template <typename Condition> bool PumpUntil(Condition condition, DWORD timeoutMs = 5000) {
    DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs)
            return condition();
        PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// Pumps until a message posted to this thread now has been handled, then once more for whatever
// the handling of the messages before it posted in turn: posted messages come out in the order
// they were posted, so everything posted before the call has been dispatched by then, however long
// that took. False when that did not happen within timeoutMs.
bool PumpPostedMessages(DWORD timeoutMs = 5000);
