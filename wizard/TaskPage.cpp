// The task page: which of the two tasks every later page works for.
#include "wizard/TaskPage.h"

#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "wizard/Wizard97.h"

CTask::CTask() : CInteriorPropertyPage(IDD_TASK, 0, 0, 0) {
    MapCommand(IDC_TASK_CREATE, BN_CLICKED, &CTask::OnSelectCreate);
    MapCommand(IDC_TASK_ADD, BN_CLICKED, &CTask::OnSelectAdd);
}

void CTask::DoDataExchange(CDataExchange *pDX) {
    CInteriorPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TASK_CREATE, m_createButton);
    DDX_Control(pDX, IDC_TASK_ADD, m_addButton);
}

BOOL CTask::OnInitDialog() {
    CInteriorPropertyPage::OnInitDialog();
    m_createButton.SetCheck(BST_CHECKED);
    m_addButton.SetCheck(BST_UNCHECKED);
    return TRUE;
}

void CTask::OnSelectCreate() { m_addButton.SetCheck(BST_UNCHECKED); }

void CTask::OnSelectAdd() { m_createButton.SetCheck(BST_UNCHECKED); }

LRESULT CTask::OnWizardNext() {
    LRESULT result = -1;
    {
        CWaitCursor wait;
        if (m_createButton.GetCheck() == BST_CHECKED) {
            m_pSheet->m_bTaskChosen = 1;
            m_pSheet->m_nTask = kCreateBootableKey;
            result = IDD_INSERT_MEDIA;
        }
        // Asked second, so it decides when both are checked.
        if (m_addButton.GetCheck() == BST_CHECKED) {
            m_pSheet->m_bTaskChosen = 1;
            m_pSheet->m_nTask = kAddDiscToKey;
            result = IDD_INSERT_MEDIA;
        }
    }
    if (result != -1)
        m_pSheet->PushPageHistory(m_nIDD);
    return result;
}
