// Running an outside program inside a named job object while the caller's messages keep flowing.
#include "keybuilder/ChildProcess.h"

#include "framework/CString.h"
#include "framework/Startup.h"
#include "platform/SystemCalls.h"
#include "resources/StringIds.h"

#include <string>

namespace {

// All input and every posted message wake the wait, so the caller's windows stay responsive.
const DWORD kWakeMask = QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT |
                        QS_SENDMESSAGE | QS_HOTKEY | QS_ALLPOSTMESSAGE | QS_RAWINPUT;
static_assert(kWakeMask == 0x5FF, "wake mask");

using CreateJobObjectFn = HANDLE(WINAPI *)(LPSECURITY_ATTRIBUTES, LPCSTR);
using AssignProcessToJobObjectFn = BOOL(WINAPI *)(HANDLE, HANDLE);

// Job objects are looked up at run time: the program also runs where the platform has none.
struct JobFunctions {
    CreateJobObjectFn createJobObject = nullptr;
    AssignProcessToJobObjectFn assignProcessToJobObject = nullptr;

    JobFunctions() {
        if (HMODULE kernel = LoadLibraryA("KERNEL32.DLL")) {
            createJobObject = reinterpret_cast<CreateJobObjectFn>(
                reinterpret_cast<void *>(sys.GetProcAddress(kernel, "CreateJobObjectA")));
            assignProcessToJobObject = reinterpret_cast<AssignProcessToJobObjectFn>(
                reinterpret_cast<void *>(sys.GetProcAddress(kernel, "AssignProcessToJobObject")));
        }
    }
};

void dispatchPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

void ShowStartFailure(DWORD error) {
    char *text = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char *>(&text), 0, nullptr);
    CString caption;
    caption.LoadString(IDS_ERROR_CAPTION);
    sys.MessageBoxA(nullptr, text ? text : "", caption, MB_ICONINFORMATION);
    if (text)
        LocalFree(text);
}

bool RunChildProcess(const char *applicationName, const char *commandLine, const char *jobName,
                     DWORD creationFlags, const std::function<void(const PROCESS_INFORMATION &)> &afterStart,
                     const std::function<void()> &afterEnd) {
    // The interpreter looks for a script's commands in its current folder first; the program's own
    // is wherever it was started from or the last image was browsed in.
    CString folder = SystemFolder();
    if (folder.IsEmpty()) {
        ShowStartFailure(ERROR_PATH_NOT_FOUND);
        return false;
    }

    JobFunctions jobs;
    HANDLE job = jobs.createJobObject ? jobs.createJobObject(nullptr, jobName) : nullptr;

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    static_assert(sizeof(STARTUPINFOA) == 104, "start-up record");
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_MINIMIZE;
    PROCESS_INFORMATION process = {};

    // CreateProcessA may write into the command line.
    std::string writable(commandLine);
    if (!sys.CreateProcessA(applicationName, &writable[0], nullptr, nullptr, FALSE, creationFlags, nullptr,
                            folder, &startup, &process)) {
        ShowStartFailure(GetLastError());
        return false;
    }
    if (afterStart)
        afterStart(process);
    if (jobs.assignProcessToJobObject)
        jobs.assignProcessToJobObject(job, process.hProcess);

    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, kWakeMask);
        if (woken == WAIT_OBJECT_0) {
            if (afterEnd)
                afterEnd();
            break;
        }
        dispatchPendingMessages();
    }

    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    return true;
}
