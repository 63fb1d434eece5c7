// CPropertySheet and CPropertyPage over the common controls' property sheet, modeless.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <vector>

class CPropertySheet;

class CPropertyPage : public CWnd {
  public:
    // Ids of 0 leave the caption and header texts to the dialog resource.
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, UINT nIDHeaderTitle = 0,
                           UINT nIDHeaderSubTitle = 0);
    ~CPropertyPage() override;

    // The page's entry in the sheet header; flags may be changed until the sheet is created.
    PROPSHEETPAGEA m_psp;

    // Runs once, when the host creates the page's window: moves the fields into the controls.
    virtual BOOL OnInitDialog();
    // TRUE accepts the activation.
    virtual BOOL OnSetActive();
    // TRUE lets the user leave the page: moves the controls into the fields.
    virtual BOOL OnKillActive();
    // 0 goes to the neighbouring page, -1 stays, a dialog id goes to the page with that template.
    virtual LRESULT OnWizardNext();
    virtual LRESULT OnWizardBack();
    // TRUE ends the sheet; the base moves the controls into the fields.
    virtual BOOL OnWizardFinish();
    // Asked of the current page first; TRUE allows the cancel.
    virtual BOOL OnQueryCancel();
    // Reached on cancel for every page whose window exists; the base calls OnCancel.
    virtual void OnReset();
    virtual void OnCancel();

    // Called from OnCancel: the sheet stays open and the current page stays current.
    void DeclineCancel() { m_bCancelDeclined = true; }

    // Keeps a font the page gave one of its controls until the page's window, and so the
    // control, is gone.
    void OwnFont(HFONT hFont);

  protected:
    // Routes BN_CLICKED, CBN_SELCHANGE and the like from control nID to a member handler.
    template <class Page> void MapCommand(UINT nID, UINT nCode, void (Page::*handler)()) {
        Page *page = static_cast<Page *>(this);
        m_commands.push_back({nID, nCode, [page, handler] { (page->*handler)(); }});
    }
    // TRUE when the command table had a handler for it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

  private:
    struct Command {
        UINT id;
        UINT code;
        std::function<void()> handler;
    };

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnNotify(NMHDR *header);
    void ReleaseFonts();

    std::vector<Command> m_commands;
    std::vector<HFONT> m_fonts;
    bool m_bCancelDeclined = false;
    friend class CPropertySheet;
};

class CPropertySheet : public CWnd {
  public:
    CPropertySheet(UINT nIDCaption, CWnd *pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    // The header handed to the host; flags may be changed until the sheet is created.
    PROPSHEETHEADERA m_psh;

    void AddPage(CPropertyPage *pPage);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage *GetPage(int nPage) const { return m_pages.at(nPage); }
    int GetPageIndex(const CPropertyPage *pPage) const;
    // Null when no page is current: the host has ended the sheet.
    CPropertyPage *GetActivePage() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage *pPage);
    // Posted: states apply in posting order once the caller's handler has returned.
    void SetWizardButtons(DWORD dwFlags);
    void PressButton(int nButton);

    // Creates the sheet modeless; a style of -1 keeps the host's own.
    virtual BOOL Create(CWnd *pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1),
                        DWORD dwExStyle = 0);
    // Runs once the host has built the sheet and its first page.
    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG *pMsg) override;

  protected:
    // The close box: presses Cancel.
    void OnClose();

  private:
    static int CALLBACK HeaderCallback(HWND hWnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK SheetProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    void SubclassSheet(HWND hWnd);
    void OnCancelRequest();
    void EndSheetWhenDone();

    std::vector<CPropertyPage *> m_pages;
    std::vector<PROPSHEETPAGEA> m_pageHeaders;
    std::string m_caption;
    DWORD m_dwStyle = static_cast<DWORD>(-1);
    DWORD m_dwExStyle = 0;
    WNDPROC m_hostProc = nullptr;
    bool m_bCancelling = false;
};
