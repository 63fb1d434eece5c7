// CWaitCursor: the hourglass for the life of the object.
#include "framework/CWaitCursor.h"

namespace {

// Wait cursors belong to the user-interface thread.
int depth = 0;
HCURSOR before = nullptr;

} // namespace

CWaitCursor::CWaitCursor() {
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (depth++ == 0)
        before = previous;
}

CWaitCursor::~CWaitCursor() {
    if (--depth == 0)
        SetCursor(before ? before : LoadCursorA(nullptr, IDC_ARROW));
}

void CWaitCursor::Restore() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

bool CWaitCursor::IsWaiting() { return depth > 0; }
