// The format-and-copy page.
#include "wizard/FormatPage.h"

#include "platform/SystemCalls.h"

void CFormat::OnCancel() {
    if (!m_bCopying)
        sys.ExitProcess(static_cast<UINT>(-1));
}
