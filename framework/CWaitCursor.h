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
};
