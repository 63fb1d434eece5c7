// CWinThread and AfxBeginThread: worker threads whose object can outlive the thread for a wait.
#pragma once

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread {
  public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    virtual ~CWinThread();
    CWinThread(const CWinThread &) = delete;
    CWinThread &operator=(const CWinThread &) = delete;

    // Starts the thread suspended; FALSE when it cannot be made.
    BOOL CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // TRUE: the object deletes itself when the thread ends. Set it to FALSE before resuming to
    // keep the object and its handle for a wait.
    BOOL m_bAutoDelete = TRUE;

  private:
    static DWORD WINAPI ThreadStart(LPVOID self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Unless CREATE_SUSPENDED is given the thread runs at once, and an auto-deleting object may be
// gone before the call returns.
CWinThread *AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
