// CWnd: a window handle with the few typed helpers the pages use, and the handle-to-object map.
#pragma once

#include <windows.h>

class CDataExchange;

class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd &) = delete;
    CWnd &operator=(const CWnd &) = delete;

    HWND m_hWnd = nullptr;

    // The object attached to the handle, else a wrapper that lives until the handle's window is
    // pruned; null for a null handle.
    static CWnd *FromHandle(HWND hWnd);
    static CWnd *FromHandlePermanent(HWND hWnd);
    // Forgets every attachment and wrapper whose window no longer exists.
    static void PruneDeadHandles();

    BOOL Attach(HWND hWnd);
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    CWnd *GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd *GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }

    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const {
        return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
    }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
    virtual BOOL DestroyWindow();

    // Moves values between the object's fields and its controls: TRUE reads the controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange *pDX);

    // The message loop offers each message here first; TRUE means it has been handled.
    virtual BOOL PreTranslateMessage(MSG *pMsg);

  protected:
    // Called once the window is gone: ends the message loop when it was the main window.
    virtual void OnWindowDestroyed();
    friend class CPropertySheet;
    friend class CPropertyPage;
};
