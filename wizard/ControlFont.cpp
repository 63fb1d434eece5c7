// A control's font at another weight.
#include "wizard/ControlFont.h"

#include "framework/PropertySheet.h"

BOOL SetControlFontWeight(CWnd *control, LONG weight) {
    HFONT font = reinterpret_cast<HFONT>(control->SendMessage(WM_GETFONT));
    if (!font)
        return FALSE;
    LOGFONTA description;
    if (!::GetObjectA(font, sizeof(description), &description))
        return FALSE;
    description.lfWeight = weight;
    HFONT weighted = ::CreateFontIndirectA(&description);
    if (!weighted)
        return FALSE;
    control->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(weighted), TRUE);
    // The control draws with the font from now on, also after its page was hidden and shown
    // again: the page keeps it until its window, and so the control, is gone. A control outside a
    // page keeps it for the whole run.
    if (auto *page = dynamic_cast<CPropertyPage *>(CWnd::FromHandlePermanent(::GetParent(control->m_hWnd))))
        page->OwnFont(weighted);
    return TRUE;
}
