// The control wrappers' few operations that need more than one message.
#include "framework/Controls.h"

#include "framework/WinApp.h"

BOOL CAnimateCtrl::Open(UINT nID) {
    return static_cast<BOOL>(SendMessage(ACM_OPENA, reinterpret_cast<WPARAM>(AfxGetResourceHandle()),
                                         reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(nID))));
}
