// SetControlFontWeight: a control's own font at another weight, kept alive with its page.
#pragma once

#include "framework/Wnd.h"

// FALSE, changing nothing, when the control reports no font.
BOOL SetControlFontWeight(CWnd *control, LONG weight);
