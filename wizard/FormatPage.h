// CFormat: the format-and-copy page.
#pragma once

#include "framework/Controls.h"
#include "framework/WinThread.h"
#include "resources/resource.h"
#include "wizard/DKPropertyPage.h"

// Run through the runtime's system when a copy from a CD/DVD drive is abandoned: ends the
// creation script with everything it started.
constexpr const char *kKillScriptCommand = "taskkill /F /T /PID %u";
// How long the worker wait lets the worker run between two looks at the message queue.
constexpr DWORD kWorkerPollMs = 1;

class CFormat : public CInteriorPropertyPage {
  public:
    CFormat() : CInteriorPropertyPage(IDD_FORMAT, 0, 0, 0) {}

    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    // Once this page exists a cancel ends the process; during the copy it asks first.
    void OnCancel() override;
    BOOL OnSetActive() override;
    // Builds the key and goes on to the completion page; a step that fails ends the program.
    LRESULT OnWizardNext() override;

    CStatic m_statusLine;
    CStatic m_titleLine;
    CAnimateCtrl m_animation;
    CStatic m_warning;
    // True from just before the boot-menu steps to the end of the transfer.
    bool m_bCopying = false;

  private:
    void playAnimation();
    void setStatus(UINT id);
    // Runs the worker and dispatches this thread's messages until it has ended.
    void runWorker(AFX_THREADPROC proc);
};

// Ends the creation script of a copy from a CD/DVD drive with everything it started, through the
// runtime's system. The interpreter looks for the command in the current folder first, so the
// system folder becomes the current folder just before (where it cannot, nothing runs); the caller
// ends the process right after.
void EndScriptProcessTree(DWORD processId);

// The workers; their parameter is the page.
UINT FormatThreadProc(LPVOID pParam);
UINT CopyThreadProc(LPVOID pParam);
