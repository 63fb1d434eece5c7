// The licence page: the licence text beside the executable, and Next only after Agree.
#include "wizard/EulaPage.h"

#include "framework/CFile.h"
#include "framework/CString.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "keybuilder/PathFunctions.h"
#include "resources/StringIds.h"
#include "wizard/Wizard97.h"

CEula::CEula() : CInteriorPropertyPage(IDD_EULA, 0, 0, 0) {
    MapCommand(IDC_AGREE, BN_CLICKED, &CEula::OnAgree);
    MapCommand(IDC_DISAGREE, BN_CLICKED, &CEula::OnDisagree);
    MapCommand(IDC_EULA_TEXT, EN_CHANGE, &CEula::OnTextChange);
}

void CEula::DoDataExchange(CDataExchange *pDX) {
    CInteriorPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EULA_TEXT, m_licenceText);
    DDX_Control(pDX, IDC_DISAGREE, m_disagreeButton);
}

BOOL IsJapaneseSystemLocale() {
    char language[255] = {};
    ::GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, language, sizeof(language));
    return CString(language).CompareNoCase("japanese") == 0;
}

DWORD CALLBACK EulaStreamInCallback(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG *pcb) {
    auto *file = reinterpret_cast<CFile *>(dwCookie);
    // The control calls this from its own code, which no exception may cross: a failed read ends
    // the stream with an error instead.
    try {
        *pcb = static_cast<LONG>(file->Read(pbBuff, static_cast<UINT>(cb)));
    } catch (const CFileException &error) {
        *pcb = 0;
        return error.m_lOsError ? static_cast<DWORD>(error.m_lOsError) : ERROR_READ_FAULT;
    }
    return 0;
}

namespace {

void closeWizard(const CString &message) {
    AfxMessageBox(message, MB_ICONERROR);
    // Handled once this initialisation is over: the close presses Cancel.
    AfxGetMainWnd()->PostMessage(WM_CLOSE);
}

void closeWizardWithoutLicence(const char *path) {
    CString message;
    message.Format(IDS_EULA_MISSING, path);
    closeWizard(message);
}

} // namespace

BOOL CEula::OnInitDialog() {
    CWaitCursor wait;
    CInteriorPropertyPage::OnInitDialog();
    m_pSheet->SetWizardButtons(PSWIZB_BACK);
    m_disagreeButton.SetCheck(BST_CHECKED);

    char path[MAX_PATH + 16] = {};
    // Where the program's folder is not known the licence cannot be found, though it is most likely
    // there beside the program: the user is told why, not sent to look for a file that is not
    // missing, and nothing is looked for in the root of the current drive.
    if (!GetModuleDirectory(path, MAX_PATH)) {
        CString message;
        message.LoadString(IDS_EULA_FOLDER_UNKNOWN);
        closeWizard(message);
        return FALSE;
    }
    CString licence = CString(path) + (IsJapaneseSystemLocale() ? kEulaJapanese : kEulaEnglish);
    if (!FileExists(licence)) {
        closeWizardWithoutLicence(licence);
        return FALSE;
    }
    // A licence that is there but cannot be read is as good as missing: an exception must not
    // cross the dialog procedure.
    try {
        CFile file(licence, CFile::modeRead);
        EDITSTREAM stream{};
        stream.dwCookie = reinterpret_cast<DWORD_PTR>(&file);
        stream.pfnCallback = &EulaStreamInCallback;
        m_licenceText.StreamIn(SF_TEXT, stream);
        m_licenceText.SetOptions(ECOOP_OR, ECO_READONLY | ECO_SAVESEL);
        file.Close();
        if (stream.dwError)
            closeWizardWithoutLicence(licence);
    } catch (const CFileException &) {
        closeWizardWithoutLicence(licence);
    }
    return FALSE;
}

BOOL CEula::OnSetActive() {
    m_pSheet->SetWizardButtons(m_disagreeButton.GetCheck() == BST_CHECKED ? PSWIZB_BACK
                                                                          : PSWIZB_BACK | PSWIZB_NEXT);
    return CInteriorPropertyPage::OnSetActive();
}

void CEula::OnAgree() { m_pSheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT); }

void CEula::OnDisagree() { m_pSheet->SetWizardButtons(PSWIZB_BACK); }

LRESULT CEula::OnWizardNext() {
    {
        CWaitCursor wait;
        m_pSheet->PushPageHistory(m_nIDD);
    }
    return IDD_TASK;
}
