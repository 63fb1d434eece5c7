// Worker threads: created suspended, kept for the wait, or deleting themselves.
#include "framework/WinThread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> runs{0};

UINT countRun(LPVOID param) {
    ++runs;
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(param));
}

TEST(WinThreadTest, ASuspendedThreadKeptForTheWaitRunsOnlyOnceResumed) {
    runs = 0;
    CWinThread *thread = AfxBeginThread(countRun, reinterpret_cast<LPVOID>(7), THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED, nullptr);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(::WaitForSingleObject(thread->m_hThread, 100), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(runs, 0);
    thread->ResumeThread();
    ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 5000), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(runs, 1);
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 7u) << "the handle stays valid after the thread has ended";
    delete thread;
}

TEST(WinThreadTest, AnAutoDeletingThreadRunsAtOnce) {
    runs = 0;
    ASSERT_NE(AfxBeginThread(countRun, nullptr), nullptr);
    for (int i = 0; i < 500 && runs == 0; ++i)
        ::Sleep(10);
    EXPECT_EQ(runs, 1);
}

} // namespace
