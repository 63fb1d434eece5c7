// Every way the program ends, seen from outside: the product runs as a child process and is
// driven through its sheet window; and the refused start-up, in this process.
#include "CaseNames.h"

#include "platform/SystemCalls.h"
#include "resources/StringIds.h"
#include "support/ScratchFolder.h"
#include "wizard/OrvellaApp.h"
#include "wizard/Wizard97.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

constexpr int kSelectMediaPage = 4;

// The product as the build lays it out, beside the tests with the files it ships with.
std::string productBesideTests() {
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe = path;
    return exe.substr(0, exe.rfind('\\') + 1) + "orvella.exe";
}

class RunningProgram {
  public:
    explicit RunningProgram(const std::string &exe = productBesideTests()) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string commandLine = "\"" + exe + "\"";
        m_started = ::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &m_process);
    }
    ~RunningProgram() {
        if (!m_started)
            return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.hProcess, 99);
        ::CloseHandle(m_process.hProcess);
        ::CloseHandle(m_process.hThread);
    }

    bool started() const { return m_started; }

    // The child's sheet: its visible top-level dialog window.
    HWND sheet() {
        if (!m_sheet)
            m_sheet = visibleDialog(nullptr, 1000);
        return m_sheet;
    }

    // A message box the child shows over its sheet, with the text of its message.
    HWND messageBox(std::string *text) {
        HWND box = visibleDialog(m_sheet, 500);
        // The box's message is the longest of its static texts.
        for (HWND child = box ? ::GetWindow(box, GW_CHILD) : nullptr; child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            char line[1024] = {};
            ::GetWindowTextA(child, line, sizeof(line));
            if (std::string(line).size() > text->size())
                *text = line;
        }
        return box;
    }

    // The index of the child's current page, as its sheet reports it; -1 when it has none.
    int currentPage() {
        HWND page = reinterpret_cast<HWND>(::SendMessageA(sheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
        return page ? static_cast<int>(
                          ::SendMessageA(sheet(), PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0))
                    : -1;
    }

    // Presses Next until the given page index is current. Past the select-media page, which lets
    // no one on without a source and a key, the sheet is told to show the page.
    bool goTo(int index) {
        for (int step = 0; step < 10 && currentPage() < index && currentPage() < kSelectMediaPage; ++step) {
            ::SendMessageA(sheet(), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
            waitIdle();
        }
        for (int page = kSelectMediaPage + 1; page <= index && currentPage() < index; ++page) {
            ::SendMessageA(sheet(), PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
            waitIdle();
        }
        return currentPage() == index;
    }

    void waitIdle() { ::WaitForInputIdle(m_process.hProcess, 2000); }

    // The exit code, or STILL_ACTIVE when the program has not ended within the time.
    DWORD exitCode(DWORD timeoutMs = 10000) {
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

  private:
    // A visible top-level dialog window of the child other than except, waiting up to tries x 10 ms.
    HWND visibleDialog(HWND except, int tries) {
        struct Search {
            DWORD pid;
            HWND except;
            HWND found;
        } search{m_process.dwProcessId, except, nullptr};
        for (int i = 0; i < tries && !search.found; ++i) {
            ::EnumWindows(
                [](HWND window, LPARAM data) {
                    auto *search = reinterpret_cast<Search *>(data);
                    DWORD pid = 0;
                    ::GetWindowThreadProcessId(window, &pid);
                    char cls[16];
                    ::GetClassNameA(window, cls, sizeof(cls));
                    if (pid != search->pid || !::IsWindowVisible(window) || std::string(cls) != "#32770" ||
                        window == search->except)
                        return TRUE;
                    search->found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (!search.found)
                ::Sleep(10);
        }
        return search.found;
    }

    PROCESS_INFORMATION m_process{};
    bool m_started = false;
    HWND m_sheet = nullptr;
};

constexpr DWORD kFatalExit = static_cast<DWORD>(-1);

enum class Ending { CancelButton, CloseBox };

struct EndCase {
    const char *what;
    int page;     // reached by Next from the welcome page
    int backFrom; // then Back until this page, -1 for none
    Ending ending;
    DWORD exitCode;
};

void PrintTo(const EndCase &c, std::ostream *out) { *out << c.what; }

const EndCase endCases[] = {
    {"cancel on the welcome page", 0, -1, Ending::CancelButton, 0},
    {"close on the licence page", 1, -1, Ending::CloseBox, 0},
    {"cancel on the select-media page", 4, -1, Ending::CancelButton, 0},
    {"close on the format page", 5, -1, Ending::CloseBox, kFatalExit},
    {"cancel on the format page", 5, -1, Ending::CancelButton, kFatalExit},
    {"close on the task page after the format page was shown", 5, 2, Ending::CloseBox, kFatalExit},
    {"cancel on the completion page", 6, -1, Ending::CancelButton, kFatalExit},
};

class ProgramEndTest : public ::testing::TestWithParam<EndCase> {};

TEST_P(ProgramEndTest, EndsWithItsExitCode) {
    const EndCase &c = GetParam();
    RunningProgram program;
    ASSERT_TRUE(program.started());
    ASSERT_NE(program.sheet(), nullptr);
    program.waitIdle();
    ASSERT_TRUE(program.goTo(c.page));
    for (int step = 0; c.backFrom >= 0 && step < 10 && program.currentPage() > c.backFrom; ++step) {
        ::SendMessageA(program.sheet(), PSM_PRESSBUTTON, PSBTN_BACK, 0);
        program.waitIdle();
    }
    if (c.backFrom >= 0) {
        ASSERT_EQ(program.currentPage(), c.backFrom);
    }
    ::PostMessageA(program.sheet(), c.ending == Ending::CloseBox ? WM_CLOSE : WM_COMMAND,
                   c.ending == Ending::CloseBox ? 0 : MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(program.exitCode(), c.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Ends, ProgramEndTest, ::testing::ValuesIn(endCases), NamedByWhat());

TEST(ProgramEnd, FinishOnTheCompletionPageEndsWithZero) {
    RunningProgram program;
    ASSERT_TRUE(program.started());
    ASSERT_NE(program.sheet(), nullptr);
    ASSERT_TRUE(program.goTo(6));
    ::PostMessageA(program.sheet(), PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
    ::PostMessageA(program.sheet(), PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    EXPECT_EQ(program.exitCode(), 0u);
}

TEST(ProgramEnd, CancelWhileDisabledDoesNotEndTheProgram) {
    RunningProgram program;
    ASSERT_TRUE(program.started());
    HWND sheet = program.sheet();
    ASSERT_NE(sheet, nullptr);
    program.waitIdle();
    ::EnableWindow(::GetDlgItem(sheet, IDCANCEL), FALSE);
    ::PostMessageA(sheet, WM_CLOSE, 0, 0);
    ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    // A change of the Back button posted behind the two requests shows once they have been handled;
    // a second change behind the first, once whatever their handling posted has been handled too.
    HWND back = ::GetDlgItem(sheet, kBackButtonId);
    for (int round = 1; round <= 2; ++round) {
        bool before = ::IsWindowEnabled(back) != FALSE;
        ::PostMessageA(sheet, PSM_SETWIZBUTTONS, 0, before ? PSWIZB_NEXT : PSWIZB_BACK | PSWIZB_NEXT);
        bool changed = false;
        while (!changed && program.exitCode(10) == STILL_ACTIVE)
            changed = (::IsWindowEnabled(back) != FALSE) != before;
        ASSERT_TRUE(changed) << "the program ended before the Back button changed, round " << round;
    }
    EXPECT_EQ(program.exitCode(0), DWORD(STILL_ACTIVE));
    EXPECT_EQ(program.currentPage(), 0);
    ::EnableWindow(::GetDlgItem(sheet, IDCANCEL), TRUE);
    ::PostMessageA(sheet, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.exitCode(), 0u);
}

TEST(ProgramEnd, WithoutTheLicenceTheProgramSaysWhereItLookedAndEndsWithZero) {
    // The product alone in a folder: no licence beside it.
    ScratchFolder folder;
    ASSERT_TRUE(::CopyFileA(productBesideTests().c_str(), (folder / "orvella.exe").c_str(), FALSE));
    RunningProgram program(folder / "orvella.exe");
    ASSERT_TRUE(program.started());
    ASSERT_NE(program.sheet(), nullptr);
    program.waitIdle();
    ::PostMessageA(program.sheet(), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    std::string text;
    HWND box = program.messageBox(&text);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(text.find(folder / "eula.en"), std::string::npos) << text;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(program.exitCode(), 0u) << "the close request ends the wizard as Cancel does";
}

// The refused start-up: no sockets layer, an empty box for message 103, and no window.
std::string shownText;
UINT shownType;
int recordBox(HWND, LPCSTR text, LPCSTR, UINT type) {
    shownText = text ? text : "(null)";
    shownType = type;
    return IDOK;
}
int refuseSockets(WORD, void *) { return 10091; }

TEST(ProgramEnd, WithoutSocketsTheStartShowsAnEmptyBoxAndNoWizard) {
    ScopedSystemCall<decltype(sys.WSAStartup)> sockets(sys.WSAStartup, refuseSockets);
    ScopedSystemCall<decltype(sys.MessageBoxA)> boxes(sys.MessageBoxA, recordBox);
    shownText = "not shown";
    COrvellaApp app;
    EXPECT_EQ(AfxWinMain(), 0);
    EXPECT_EQ(shownText, "");
    EXPECT_EQ(shownType, UINT(MB_OK));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

} // namespace
