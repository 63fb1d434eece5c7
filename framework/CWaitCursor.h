// CWaitCursor: the hourglass for the life of the object.
#pragma once

#include <windows.h>

// Nested wait cursors keep the hourglass until the outermost one ends; then the cursor that was
// shown before the first comes back.
class CWaitCursor {
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor &) = delete;
    CWaitCursor &operator=(const CWaitCursor &) = delete;

    // Shows the hourglass again, after something (a message box) changed the cursor.
    void Restore();

    // True while any wait cursor lives. The sheet and its pages then answer the cursor requests of
    // a moving mouse with the hourglass, which would otherwise give way to their class's arrow as
    // soon as a wait dispatches messages.
    static bool IsWaiting();
};
