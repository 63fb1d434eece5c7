// The control wrappers' few operations that need more than one message.
#include "framework/Controls.h"

#include "framework/WinApp.h"

#include <vector>

BOOL CAnimateCtrl::Open(UINT nID) {
    return static_cast<BOOL>(SendMessage(ACM_OPENA, reinterpret_cast<WPARAM>(AfxGetResourceHandle()),
                                         reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(nID))));
}

void CComboBox::GetLBText(int nIndex, CString &rString) const {
    int length = GetLBTextLen(nIndex);
    if (length == CB_ERR) {
        rString.Empty();
        return;
    }
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    GetLBText(nIndex, text.data());
    rString = text.data();
}
