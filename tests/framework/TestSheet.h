// A small sheet of three recording pages for the framework's window tests.
#pragma once

#include "TestDialogs.h"
#include "framework/PropertySheet.h"
#include "framework/WinApp.h"

#include <string>
#include <vector>

class RecordingPage : public CPropertyPage {
  public:
    RecordingPage(UINT id, std::vector<std::string> &log) : CPropertyPage(id), m_id(id), m_log(log) {}

    BOOL OnInitDialog() override {
        record("init");
        m_sheetAtInit = FromHandlePermanent(::GetParent(m_hWnd));
        return CPropertyPage::OnInitDialog();
    }
    BOOL OnSetActive() override {
        record("active");
        return CPropertyPage::OnSetActive();
    }
    LRESULT OnWizardNext() override {
        record("next");
        return m_nextResult;
    }
    LRESULT OnWizardBack() override {
        record("back");
        return m_backResult;
    }
    BOOL OnWizardFinish() override {
        record("finish");
        return m_allowFinish && CPropertyPage::OnWizardFinish();
    }
    BOOL OnQueryCancel() override {
        record("querycancel");
        return m_allowCancel;
    }
    void OnCancel() override {
        record("cancel");
        if (m_declineCancel)
            DeclineCancel();
    }

    LRESULT m_nextResult = 0;
    LRESULT m_backResult = 0;
    BOOL m_allowCancel = TRUE;
    BOOL m_allowFinish = TRUE;
    bool m_declineCancel = false;
    CWnd *m_sheetAtInit = nullptr;

  private:
    void record(const char *what) { m_log.push_back(std::to_string(m_id) + " " + what); }

    UINT m_id;
    std::vector<std::string> &m_log;
};

class TestSheet : public CPropertySheet {
  public:
    TestSheet()
        : CPropertySheet(IDS_TEST_CAPTION), m_first(IDD_TEST_FIRST, log), m_second(IDD_TEST_SECOND, log),
          m_third(IDD_TEST_THIRD, log) {
        m_psh.dwFlags |= PSH_WIZARD;
        m_psh.dwFlags &= ~PSH_HASHELP;
        AddPage(&m_first);
        AddPage(&m_second);
        AddPage(&m_third);
    }

    int activeIndex() const { return GetPageIndex(GetActivePage()); }
    HWND button(int id) const { return ::GetDlgItem(m_hWnd, id); }

    std::vector<std::string> log;
    RecordingPage m_first;
    RecordingPage m_second;
    RecordingPage m_third;
};

// The style the product creates its sheet with.
constexpr DWORD kModelessWizardStyle = 0x90CA004C;
constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;
