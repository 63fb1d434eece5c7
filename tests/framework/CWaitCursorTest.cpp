// Tests of CWaitCursor: nested hourglasses and the cursor that comes back.
#include "framework/CWaitCursor.h"

#include <gtest/gtest.h>

namespace {

TEST(CWaitCursor, NestedWaitCursorsRestoreTheCursorShownBefore) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    {
        CWaitCursor outer;
        EXPECT_EQ(wait, GetCursor());
        {
            CWaitCursor inner;
            SetCursor(arrow);
            inner.Restore();
            EXPECT_EQ(wait, GetCursor());
        }
        EXPECT_EQ(wait, GetCursor());
    }
    EXPECT_EQ(cross, GetCursor());
}

} // namespace
