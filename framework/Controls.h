// Thin typed wrappers of the dialog controls the pages bind.
#pragma once

#include "framework/CString.h"
#include "framework/Wnd.h"

#include <commctrl.h>
#include <richedit.h>

class CButton : public CWnd {
  public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
};

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
  public:
    // With CBS_SORT the item goes to its sorted place; the result is its index, or CB_ERR.
    int AddString(LPCSTR lpszString) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszString)));
    }
    int DeleteString(UINT nIndex) { return static_cast<int>(SendMessage(CB_DELETESTRING, nIndex)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int nSelect) {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
    }
    int GetLBTextLen(int nIndex) const {
        return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex)));
    }
    // lpszText needs room for GetLBTextLen + 1 characters.
    int GetLBText(int nIndex, LPSTR lpszText) const {
        return static_cast<int>(
            SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszText)));
    }
    // Empty for an index that is not in the list.
    void GetLBText(int nIndex, CString &rString) const;
};

class CRichEditCtrl : public CWnd {
  public:
    // Returns the number of characters read in; the callback reports errors in es.dwError.
    long StreamIn(int nFormat, EDITSTREAM &es) {
        return static_cast<long>(
            SendMessage(EM_STREAMIN, static_cast<WPARAM>(nFormat), reinterpret_cast<LPARAM>(&es)));
    }
    // wOp is ECOOP_SET, ECOOP_OR, ECOOP_AND or ECOOP_XOR; returns the new options.
    UINT SetOptions(WORD wOp, DWORD dwFlags) {
        return static_cast<UINT>(SendMessage(EM_SETOPTIONS, wOp, static_cast<LPARAM>(dwFlags)));
    }
    UINT GetOptions() const { return static_cast<UINT>(SendMessage(EM_GETOPTIONS)); }
    long GetTextLength() const { return static_cast<long>(SendMessage(WM_GETTEXTLENGTH)); }
};

class CAnimateCtrl : public CWnd {
  public:
    // Opens an AVI resource of the program's own resources.
    BOOL Open(UINT nID);
    // Frames from nFrom to nTo (-1: the last), nRep times (-1: until stopped).
    BOOL Play(UINT nFrom, UINT nTo, UINT nRep) {
        return static_cast<BOOL>(SendMessage(ACM_PLAY, nRep, MAKELONG(nFrom, nTo)));
    }
    BOOL Stop() { return static_cast<BOOL>(SendMessage(ACM_STOP)); }
    BOOL Close() { return static_cast<BOOL>(SendMessage(ACM_OPENA)); }
};
