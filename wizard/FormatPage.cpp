// The format-and-copy page: the build of the key in its fixed order, its two workers, and what
// a cancel means once the page exists.
#include "wizard/FormatPage.h"

#include "framework/CString.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/Startup.h"
#include "framework/WinThread.h"
#include "platform/SystemCalls.h"
#include "resources/StringIds.h"
#include "wizard/ControlFont.h"
#include "wizard/DefinitionText.h"
#include "wizard/Wizard97.h"

#include <memory>

namespace {

// A step of the build failed and the key cannot be used: say so and end, from whichever thread
// found it. Only a test's stand-in for the end returns.
void abandonBuild(UINT message) {
    AfxMessageBox(message, MB_ICONERROR);
    sys.ExitProcess(static_cast<UINT>(-1));
}

} // namespace

void CFormat::DoDataExchange(CDataExchange *pDX) {
    CInteriorPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STATUS_LINE, m_statusLine);
    DDX_Control(pDX, IDC_TITLE_LINE, m_titleLine);
    DDX_Control(pDX, IDC_COPY_ANIMATION, m_animation);
    DDX_Control(pDX, IDC_WARNING, m_warning);
}

BOOL CFormat::OnInitDialog() {
    CInteriorPropertyPage::OnInitDialog();
    SetControlFontWeight(&m_warning, FW_BOLD);
    return TRUE;
}

BOOL CFormat::OnSetActive() {
    m_pSheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    m_warning.ShowWindow(m_pSheet->m_nTask == kCreateBootableKey ? SW_SHOW : SW_HIDE);
    CString title;
    title.Format(IDS_KEY_WILL_BE_CREATED,
                 static_cast<const char *>(DefinitionTextForDisplay(m_pSheet->m_mediaDefinition.name)));
    m_titleLine.SetWindowText(title);
    m_statusLine.SetWindowText("");
    return CInteriorPropertyPage::OnSetActive();
}

void CFormat::setStatus(UINT id) {
    CString text;
    text.LoadString(id);
    m_statusLine.SetWindowText(text);
}

void CFormat::playAnimation() { m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1)); }

void CFormat::runWorker(AFX_THREADPROC proc) {
    std::unique_ptr<CWinThread> worker(
        AfxBeginThread(proc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
    if (!worker) {
        // Without a thread the step still has to happen; it then blocks this one.
        proc(this);
        return;
    }
    // Kept after the thread ends, so its handle stays valid for the wait.
    worker->m_bAutoDelete = FALSE;
    worker->ResumeThread();
    while (::WaitForSingleObject(worker->m_hThread, kWorkerPollMs) == WAIT_TIMEOUT) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

LRESULT CFormat::OnWizardNext() {
    CWizard97 &sheet = *m_pSheet;
    CDeviceManager &key = sheet.m_deviceManager;
    CMediaDefinition &media = sheet.m_mediaDefinition;
    {
        sheet.SetWizardButtons(0);
        sheet.EnableBackNextButtons(FALSE);
        sheet.EnableCancelButton(FALSE);
        CWaitCursor wait;

        if (sheet.m_nTask == kCreateBootableKey) {
            setStatus(IDS_FORMATTING);
            key.Refresh();
            key.Close();
            runWorker(&FormatThreadProc);
            key.Refresh();
            key.Close();
            setStatus(IDS_MAKING_BOOTABLE);
            if (!key.RunSyslinux()) {
                abandonBuild(IDS_BOOT_SETUP_FAILED);
                return -1;
            }
        }

        m_bCopying = true;
        sheet.EnableCancelButton(TRUE);
        if (sheet.m_nTask == kCreateBootableKey && media.multibootSupport && !key.CopyMultibootFiles()) {
            abandonBuild(IDS_BOOT_SETUP_FAILED);
            return -1;
        }
        // Before the copy: a disc the menu cannot reach must not fill the key.
        if (media.multibootSupport &&
            !key.AddSyslinuxMenuEntry(media.multibootDirectory, media.BootMenuLabel(),
                                      media.multibootConfigFilename, static_cast<int>(sheet.m_nTask),
                                      media.timeoutValue)) {
            abandonBuild(IDS_MENU_ENTRY_FAILED);
            return -1;
        }

        setStatus(IDS_COPYING);
        m_animation.Open(IDR_COPY_ANIMATION);
        playAnimation();
        runWorker(&CopyThreadProc);
        m_animation.Stop();
        m_animation.Close();

        m_bCopying = false;
        sheet.PushPageHistory(m_nIDD);
        sheet.EnableBackNextButtons(TRUE);
        sheet.SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    }
    return IDD_COMPLETE;
}

void CFormat::OnCancel() {
    if (!m_bCopying) {
        sys.ExitProcess(static_cast<UINT>(-1));
        return;
    }
    m_animation.Stop();
    int answer = AfxMessageBox(IDS_CONFIRM_CLOSE, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDYES) {
        CMediaDefinition &media = m_pSheet->m_mediaDefinition;
        if (!media.sourceIsImage)
            EndScriptProcessTree(media.scriptProcessId);
        sys.ExitProcess(static_cast<UINT>(-1));
        return;
    }
    playAnimation();
    // The copy goes on, and so does this page.
    DeclineCancel();
}

void EndScriptProcessTree(DWORD processId) {
    CString command;
    command.Format(kKillScriptCommand, static_cast<unsigned>(processId));
    // The browse dialog leaves the image's folder current, often a downloads folder; where the
    // system folder cannot be made current, nothing is run.
    CString folder = SystemFolder();
    if (!folder.IsEmpty() && SetCurrentDirectoryA(folder))
        sys.system(command);
}

UINT FormatThreadProc(LPVOID pParam) {
    auto *page = static_cast<CFormat *>(pParam);
    CMediaDefinition &media = page->m_pSheet->m_mediaDefinition;
    const char *label = media.multibootSupport ? "" : static_cast<const char *>(media.volumeLabel);
    if (!page->m_pSheet->m_deviceManager.FormatFat32(label))
        abandonBuild(IDS_FORMAT_FAILED);
    return 1;
}

UINT CopyThreadProc(LPVOID pParam) {
    auto *page = static_cast<CFormat *>(pParam);
    CWizard97 &sheet = *page->m_pSheet;
    // A copy that ended the program has said so itself; one whose interpreter never started has
    // copied nothing.
    if (!sheet.m_mediaDefinition.TransferToKey(sheet.m_deviceManager.GetDriveLetter(), true))
        abandonBuild(IDS_COPY_INTERRUPTED);
    return 1;
}
