// Tests of the child-process procedure with real command scripts.
#include "keybuilder/ChildProcess.h"
#include "framework/Startup.h"
#include "keybuilder/PathFunctions.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"
#include "support/win32/MessageBoxRecorder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT kCreateFlag = WM_APP;
const UINT kCheckJob = WM_APP + 1;

// A window of the waiting thread: the posted messages it receives prove that the wait dispatches.
struct Receiver {
    std::string flagPath;
    std::string jobName;
    HANDLE process = nullptr;
    int created = 0;
    int inJob = -1;

    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto *self = reinterpret_cast<Receiver *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == kCreateFlag) {
            HANDLE f = CreateFileA(self->flagPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            CloseHandle(f);
            ++self->created;
            return 0;
        }
        if (self && message == kCheckJob) {
            HANDLE job = OpenJobObjectA(JOB_OBJECT_QUERY, FALSE, self->jobName.c_str());
            BOOL in = FALSE;
            self->inJob = job && IsProcessInJob(self->process, job, &in) && in;
            if (job)
                CloseHandle(job);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

HWND makeReceiverWindow(Receiver &receiver) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Receiver::proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ChildProcessTestReceiver";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver));
    return window;
}

// Waits until the parent has dispatched its message and made the flag, then says so and ends. It
// gives up after a bounded spin, so a wait that dispatches nothing fails instead of hanging.
const char *kWaitForFlag = "@echo off\r\n"
                           "set n=0\r\n"
                           ":loop\r\n"
                           "if exist \"%~dp0flag\" goto seen\r\n"
                           "set /a n+=1\r\n"
                           "if %n% gtr 20000 exit /b 1\r\n"
                           "goto loop\r\n"
                           ":seen\r\n"
                           "echo seen>\"%~dp0done\"\r\n";

TEST(RunChildProcess, DispatchesTheCallersMessagesUntilTheChildEnds) {
    ScratchFolder scratch;
    scratch.write("wait.cmd", kWaitForFlag);
    Receiver receiver;
    receiver.flagPath = scratch / "flag";
    receiver.jobName = "Orvella-Test-Job-" + std::to_string(GetCurrentProcessId());
    HWND window = makeReceiverWindow(receiver);
    ASSERT_NE(nullptr, window);

    DWORD childId = 0;
    int ends = 0;
    bool childGoneAtEnd = false, doneWrittenAtEnd = false;
    std::string command = "CMD.EXE /C \"" + (scratch / "wait.cmd") + "\"";
    bool ok = RunChildProcess(
        SystemFolderPath("CMD.EXE"), command.c_str(), receiver.jobName.c_str(), CREATE_NO_WINDOW,
        [&](const PROCESS_INFORMATION &process) {
            childId = process.dwProcessId;
            receiver.process = process.hProcess;
            // Posted after the start: only the wait loop can deliver these. The job is joined after
            // this step, so its check is queued behind the flag.
            PostMessageA(window, kCreateFlag, 0, 0);
            PostMessageA(window, kCheckJob, 0, 0);
        },
        [&] {
            ++ends;
            DWORD code = 0;
            childGoneAtEnd = GetExitCodeProcess(receiver.process, &code) && code != STILL_ACTIVE;
            doneWrittenAtEnd = scratch.exists("done");
        });
    DestroyWindow(window);

    EXPECT_TRUE(ok);
    EXPECT_NE(0u, childId);
    EXPECT_EQ(1, receiver.created);
    EXPECT_EQ(1, ends);
    EXPECT_TRUE(childGoneAtEnd);
    EXPECT_TRUE(doneWrittenAtEnd) << "the script never saw the flag";
    EXPECT_EQ(1, receiver.inJob) << "the child was not in the named job";
}

FARPROC WINAPI withoutJobFunctions(HMODULE module, LPCSTR name) {
    if (std::string(name) == "CreateJobObjectA" || std::string(name) == "AssignProcessToJobObject")
        return nullptr;
    return GetProcAddress(module, name);
}

TEST(RunChildProcess, WaitsForAQuietChildWithAndWithoutJobFunctions) {
    for (bool jobs : {true, false}) {
        ScopedSystemCall<decltype(SystemCalls::GetProcAddress)> lookup(
            sys.GetProcAddress, jobs ? sys.GetProcAddress : withoutJobFunctions);
        ScratchFolder scratch;
        scratch.write("quick.cmd", "@echo made>\"%~dp0made\"\r\n");
        std::string jobName = std::string("Orvella-Test-Quick-") + (jobs ? "jobs" : "none");
        std::string command = "CMD.EXE /C \"" + (scratch / "quick.cmd") + "\"";
        int ends = 0;
        EXPECT_TRUE(RunChildProcess(SystemFolderPath("CMD.EXE"), command.c_str(), jobName.c_str(), 0, nullptr,
                                    [&] { ++ends; }))
            << jobs;
        EXPECT_EQ(1, ends) << jobs;
        EXPECT_TRUE(scratch.exists("made")) << jobs;
        // The job stays open until the program ends, so its name is still there when one was made.
        HANDLE job = OpenJobObjectA(JOB_OBJECT_QUERY, FALSE, jobName.c_str());
        EXPECT_EQ(jobs, job != nullptr) << jobs;
        if (job)
            CloseHandle(job);
    }
}

// Run once in the default locale and once each under LC_ALL=ja_JP.UTF-8 and fr_FR.UTF-8.
TEST(RunChildProcessLocale, AMissingProgramGivesTheErrorBoxAndFalse) {
    MessageBoxRecorder recorder;
    int steps = 0;
    bool ok = RunChildProcess(
        SystemFolderPath("orvella-no-such-program.exe"),
        "orvella-no-such-program.exe -fma F:", "Orvella-Test-Missing", CREATE_NO_WINDOW,
        [&](const PROCESS_INFORMATION &) { ++steps; }, [&] { ++steps; });
    EXPECT_FALSE(ok);
    EXPECT_EQ(0, steps);
    ASSERT_EQ(1u, recorder.boxes().size());
    const auto &box = recorder.boxes()[0];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), box.type);
    EXPECT_FALSE(box.text.empty()) << "the system's text for the error";
    EXPECT_EQ(RunLanguage() == "ja" ? "\x83\x47\x83\x89\x81\x5b" : "Error", box.caption);
}

} // namespace
