// orvella-robot.exe: starts the simulated program beside itself and walks its wizard as a user
// would, from outside the program: it presses the sheet's buttons, clicks the pages' controls,
// answers every message box and pictures each page as it comes.
//   orvella-robot create|add PICTURES (--image PATH | --drive) [--try CHOICE]... [--stop-after-tries]
//                 [--cancel-copy no|yes]...
// The CD/DVD letter and the key's letter come from ORVELLA_SIM_CDROM and ORVELLA_SIM_KEY. Each
// --try makes one choice on the select-media page and presses Next, where a refusal is expected:
// "image:PATH" (PATH may be empty), "drive", "no-drive" (drive chosen, no item selected),
// "no-key" (the walk's source, no key selected); a choice that is not refused is gone on with, Next
// on the format page too, and the walk ends as stuck. Each --cancel-copy presses Cancel once while the
// disc is being copied and gives that answer to the question. Boxes are otherwise answered with
// their first button. Prints each page and box; exits with the program's status, or 3 when stuck,
// after a line that says what it waited for.
#include "resources/resource.h"
#include "sim/RobotQueries.h"
#include "support/win32/WindowPicture.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The sheet's pages in their order.
const UINT kPageOrder[] = {IDD_SPLASH,   IDD_EULA,   IDD_TASK,    IDD_INSERT_MEDIA,
                           IDD_FIND_KEY, IDD_FORMAT, IDD_COMPLETE};
// The build of a big image takes a while under Wine; the other pages answer within a second.
constexpr DWORD kPageTimeoutMs = 60000;
constexpr DWORD kBuildTimeoutMs = 600000;

struct Walk {
    bool addTask = false;
    bool fromImage = false;
    std::string image;
    char cdrom = 0;
    char key = 0;
    std::string pictures;
    std::vector<std::string> tries;
    bool stopAfterTries = false;
    std::vector<int> cancelAnswers;
};

DWORD programId = 0;
HANDLE program = nullptr;
int boxCount = 0;
// The answer for the next box that asks a question; 0 gives its first button.
int pendingAnswer = 0;

std::string utf8(const std::wstring &text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

// Arguments come in the ANSI code page.
std::wstring wide(const std::string &text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
    out.resize(out.size() - 1);
    return out;
}

bool programEnded() { return WaitForSingleObject(program, 0) == WAIT_OBJECT_0; }

// Says what the walk waited for when it cannot go on; false, for the caller to return.
bool gaveUp(const Deadline &deadline, const std::string &seen = std::string()) {
    if (programEnded())
        std::printf("the program ended while the walk waited for %s\n", deadline.waitingFor().c_str());
    else
        std::printf("%s%s\n", deadline.giveUpLine().c_str(), seen.c_str());
    std::fflush(stdout);
    return false;
}

// The current page's dialog id: 0 when the sheet has none.
bool pageId(HWND sheet, Deadline &deadline, UINT *id) {
    int index = -1;
    if (!AskPageIndex(sheet, deadline, &index))
        return false;
    *id = index >= 0 && index < static_cast<int>(sizeof kPageOrder / sizeof kPageOrder[0]) ? kPageOrder[index]
                                                                                           : 0;
    return true;
}

void settle(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
}

// The window as it is painted on the screen. A window that has not painted by the deadline gives no
// picture, only a line that says what went unanswered.
void picture(const Walk &walk, HWND window, const std::string &name, Deadline &deadline) {
    if (!ShowPainted(window, deadline)) {
        std::printf("picture %s could not be taken: %s\n", name.c_str(), deadline.unanswered().c_str());
        return;
    }
    // The program's windows reach the screen once their thread goes idle, just after its answer.
    settle(250);
    std::string path = walk.pictures + "\\" + name + ".png";
    if (!SaveWindowPicture(window, path))
        std::printf("picture %s could not be saved\n", name.c_str());
}

// Every box the program shows is answered with its first button (OK, or Yes), after its text and
// its picture. A box whose text cannot be read before the wait's deadline is left to that wait.
void answerBoxes(const Walk &walk, Deadline &deadline) {
    // A box that is slow to close is still on the screen after its answer; it counts once.
    static std::vector<HWND> answered;
    for (HWND box : ProcessDialogs(programId)) {
        if (!IsMessageBox(box) || std::find(answered.begin(), answered.end(), box) != answered.end())
            continue;
        std::wstring text;
        if (!ReadBoxText(box, deadline, &text))
            continue;
        answered.push_back(box);
        std::printf("box: %s\n", utf8(text).c_str());
        std::fflush(stdout);
        picture(walk, box, "box" + std::to_string(++boxCount), deadline);
        int button = GetDlgItem(box, IDOK) ? IDOK : IDYES;
        if (pendingAnswer && GetDlgItem(box, pendingAnswer)) {
            button = pendingAnswer;
            pendingAnswer = 0;
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        settle(300);
    }
}

// Waits for the page, answering boxes meanwhile; false when the program ended or time ran out.
bool waitForPage(const Walk &walk, HWND &sheet, UINT id, DWORD timeoutMs) {
    Deadline deadline(timeoutMs, "page " + std::to_string(id));
    bool seenAny = false;
    UINT seen = 0;
    while (!deadline.passed() && !programEnded()) {
        if (!sheet || !IsWindow(sheet))
            sheet = FindSheet(programId);
        answerBoxes(walk, deadline);
        UINT now = 0;
        if (sheet && pageId(sheet, deadline, &now)) {
            if (now == id) {
                settle(300);
                return true;
            }
            seenAny = true;
            seen = now;
        }
        settle(50);
    }
    return gaveUp(deadline, !sheet    ? "; no sheet was found"
                            : seenAny ? "; the sheet showed page " + std::to_string(seen)
                                      : "; the sheet never said its page");
}

bool click(HWND page, int control, Deadline &deadline) {
    bool done = ClickButton(GetDlgItem(page, control), deadline);
    settle(100);
    return done;
}

// Tells the page that the list's selection changed, as a user's pick would; told twice, it reads the
// same selection twice.
bool selectionChanged(HWND page, int control, Deadline &deadline) {
    return AskWindow(page, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, control)), deadline, nullptr, "CBN_SELCHANGE");
}

// Selects the list item that begins with the letter; false when the list did not answer (a list
// without the letter is reported and left for the program to refuse).
bool pickLetter(HWND page, int control, char letter, Deadline &deadline) {
    HWND combo = GetDlgItem(page, control);
    LRESULT count = 0;
    if (!AskWindow(combo, CB_GETCOUNT, 0, 0, deadline, &count, "CB_GETCOUNT"))
        return false;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        LRESULT length = 0;
        if (!AskWindow(combo, CB_GETLBTEXTLEN, i, 0, deadline, &length, "CB_GETLBTEXTLEN"))
            return false;
        if (length < 0 || length >= static_cast<LRESULT>(sizeof text / sizeof text[0]))
            continue;
        if (!AskWindow(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), deadline, nullptr,
                       "CB_GETLBTEXT"))
            return false;
        if (text[0] == static_cast<wchar_t>(letter) && text[1] == L':') {
            if (!AskWindow(combo, CB_SETCURSEL, i, 0, deadline, nullptr, "CB_SETCURSEL") ||
                !selectionChanged(page, control, deadline))
                return false;
            std::printf("picked %s\n", utf8(text).c_str());
            return true;
        }
        std::printf("item %d: %s (%d)\n", static_cast<int>(i), utf8(text).c_str(), static_cast<int>(length));
    }
    std::printf("no item for %c: in list %d (%d items)\n", letter, control, static_cast<int>(count));
    return true;
}

// Posted, so a busy sheet cannot time it out; the page that follows, or the box, shows its effect.
void press(HWND sheet, int button) {
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    settle(200);
}

bool chooseImage(HWND page, const std::string &path, Deadline &deadline) {
    return click(page, IDC_ISO_FILE_RADIO, deadline) &&
           SetText(GetDlgItem(page, IDC_ISO_PATH), wide(path), deadline);
}

bool unselect(HWND page, int control, Deadline &deadline) {
    return AskWindow(GetDlgItem(page, control), CB_SETCURSEL, static_cast<WPARAM>(-1), 0, deadline, nullptr,
                     "CB_SETCURSEL") &&
           selectionChanged(page, control, deadline);
}

// One choice on the select-media page (see the usage above).
bool choose(const Walk &walk, HWND page, const std::string &choice, Deadline &deadline) {
    bool answered = true;
    if (choice.compare(0, 6, "image:") == 0) {
        answered = chooseImage(page, choice.substr(6), deadline);
    } else if (choice == "drive" || choice == "no-drive") {
        answered = click(page, IDC_CD_DRIVE_RADIO, deadline) &&
                   (choice == "drive" ? pickLetter(page, IDC_SOURCE_COMBO, walk.cdrom, deadline)
                                      : unselect(page, IDC_SOURCE_COMBO, deadline));
    }
    if (!answered)
        return false;
    if (choice == "no-key")
        return choose(walk, page, walk.fromImage ? "image:" + walk.image : "drive", deadline) &&
               unselect(page, IDC_TARGET_COMBO, deadline);
    return pickLetter(page, IDC_TARGET_COMBO, walk.key, deadline);
}

// What the user does on each page before going on.
bool fillPage(const Walk &walk, HWND sheet, UINT id) {
    Deadline deadline(kPageTimeoutMs, "the controls of page " + std::to_string(id));
    HWND page = nullptr;
    if (!AskCurrentPage(sheet, deadline, &page))
        return gaveUp(deadline);
    bool done = true;
    switch (id) {
    case IDD_EULA:
        done = click(page, IDC_AGREE, deadline);
        break;
    case IDD_TASK:
        done = click(page, walk.addTask ? IDC_TASK_ADD : IDC_TASK_CREATE, deadline);
        break;
    case IDD_FIND_KEY:
        done = choose(walk, page, walk.fromImage ? "image:" + walk.image : "drive", deadline);
        break;
    default:
        break;
    }
    settle(200);
    return done || gaveUp(deadline);
}

bool startProgram() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.resize(folder.find_last_of('\\'));
    std::string command = "\"" + folder + "\\orvella-sim.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    program = process.hProcess;
    programId = process.dwProcessId;
    return true;
}

char letterOf(const char *name) {
    const char *value = std::getenv(name);
    return value && *value ? static_cast<char>(toupper(static_cast<unsigned char>(*value))) : 0;
}

bool parse(int argc, char **argv, Walk &walk) {
    if (argc < 3 || (std::strcmp(argv[1], "create") != 0 && std::strcmp(argv[1], "add") != 0))
        return false;
    walk.addTask = std::strcmp(argv[1], "add") == 0;
    walk.pictures = argv[2];
    bool sourced = false;
    for (int i = 3; i < argc; ++i) {
        std::string option = argv[i];
        bool hasValue = i + 1 < argc;
        if (option == "--image" && hasValue) {
            walk.fromImage = sourced = true;
            walk.image = argv[++i];
        } else if (option == "--drive") {
            sourced = true;
        } else if (option == "--try" && hasValue) {
            walk.tries.push_back(argv[++i]);
        } else if (option == "--stop-after-tries") {
            walk.stopAfterTries = true;
        } else if (option == "--cancel-copy" && hasValue) {
            std::string answer = argv[++i];
            if (answer != "yes" && answer != "no")
                return false;
            walk.cancelAnswers.push_back(answer == "yes" ? IDYES : IDNO);
        } else {
            return false;
        }
    }
    walk.cdrom = letterOf("ORVELLA_SIM_CDROM");
    walk.key = letterOf("ORVELLA_SIM_KEY");
    return sourced && walk.key && (walk.fromImage || walk.cdrom);
}

// A choice that was not refused goes on as a user would: Next on the format page, and the build's
// boxes answered until the page has gone or the program has ended. Whatever the program then does
// to the key is there for the walk's checks to see.
void goOnFromFormat(const Walk &walk, HWND &sheet) {
    press(sheet, PSBTN_NEXT);
    waitForPage(walk, sheet, IDD_COMPLETE, kBuildTimeoutMs);
}

// Each refused choice leaves the page where it is, after the box that says why. A choice that is
// not refused ends the walk as stuck, after the program has gone on with it.
bool tryChoices(const Walk &walk, HWND &sheet) {
    for (const std::string &choice : walk.tries) {
        std::printf("try %s\n", choice.c_str());
        std::fflush(stdout);
        Deadline deadline(kPageTimeoutMs, "the refusal of " + choice);
        HWND page = nullptr;
        if (!AskCurrentPage(sheet, deadline, &page) || !choose(walk, page, choice, deadline))
            return gaveUp(deadline);
        int before = boxCount;
        press(sheet, PSBTN_NEXT);
        // A page that goes on without a box ends the wait for one.
        UINT now = IDD_FIND_KEY;
        while (boxCount == before && now == IDD_FIND_KEY && !deadline.passed() && !programEnded()) {
            answerBoxes(walk, deadline);
            settle(50);
            if (boxCount == before && !programEnded() && !pageId(sheet, deadline, &now))
                return gaveUp(deadline);
        }
        if (now == IDD_FIND_KEY) {
            if (boxCount == before)
                return gaveUp(deadline, "; no box came");
            settle(300);
            answerBoxes(walk, deadline);
            if (!pageId(sheet, deadline, &now))
                return gaveUp(deadline);
        }
        if (now != IDD_FIND_KEY) {
            std::printf("the choice was not refused: now on page %u\n", now);
            std::fflush(stdout);
            if (now == IDD_FORMAT)
                goOnFromFormat(walk, sheet);
            return false;
        }
    }
    return true;
}

// Where the build is: whether the format page shows, and whether the disc is being copied (a status
// shows, Next is off and Cancel is on again).
bool copyState(HWND sheet, Deadline &deadline, bool *onFormat, bool *copying) {
    UINT id = 0;
    HWND page = nullptr;
    if (!pageId(sheet, deadline, &id) || !AskCurrentPage(sheet, deadline, &page))
        return false;
    *onFormat = id == IDD_FORMAT;
    *copying = false;
    if (!*onFormat || !IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)) ||
        IsWindowEnabled(GetDlgItem(sheet, kSheetNextButton)))
        return true;
    std::wstring status;
    if (!AskText(GetDlgItem(page, IDC_STATUS_LINE), deadline, &status))
        return false;
    *copying = !status.empty();
    return true;
}

// Waits on the format page until the copy runs; false when it did not (the page went on first,
// the program ended or the deadline came).
bool waitForCopy(const Walk &walk, HWND sheet, Deadline &deadline, std::string *seen) {
    bool onFormat = true, copying = false;
    while (!programEnded() && copyState(sheet, deadline, &onFormat, &copying) && onFormat && !copying) {
        answerBoxes(walk, deadline);
        settle(20);
    }
    if (!onFormat)
        *seen = "; the format page had gone";
    return copying;
}

// The page with its animation, when the copy is caught running; a quick copy is over before that.
void pictureCopy(const Walk &walk, HWND sheet) {
    Deadline deadline(kBuildTimeoutMs, "the copy to run");
    std::string seen;
    if (waitForCopy(walk, sheet, deadline, &seen))
        picture(walk, sheet, std::to_string(IDD_FORMAT) + "-copy", deadline);
}

// Cancels the copy once per answer; false when the copy could not be caught running.
bool cancelCopy(const Walk &walk, HWND &sheet) {
    for (int answer : walk.cancelAnswers) {
        Deadline running(kBuildTimeoutMs, "the copy to run, to cancel it");
        std::string seen;
        if (!waitForCopy(walk, sheet, running, &seen))
            return gaveUp(running, seen);
        std::printf("cancel, answering %s\n", answer == IDYES ? "yes" : "no");
        std::fflush(stdout);
        Deadline asked(kPageTimeoutMs, "the question whether to stop the copy");
        int before = boxCount;
        pendingAnswer = answer;
        press(sheet, PSBTN_CANCEL);
        while (boxCount == before && !asked.passed() && !programEnded()) {
            answerBoxes(walk, asked);
            settle(20);
        }
        pendingAnswer = 0;
        if (boxCount == before)
            return gaveUp(asked, "; no box came");
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    Walk walk;
    if (!parse(argc, argv, walk)) {
        std::fprintf(stderr,
                     "usage: orvella-robot create|add PICTURES (--image PATH | --drive) [--try CHOICE]... "
                     "[--stop-after-tries] [--cancel-copy no|yes]...\n"
                     "with ORVELLA_SIM_KEY (and ORVELLA_SIM_CDROM for a drive) set\n");
        return 2;
    }
    if (!startProgram()) {
        std::fprintf(stderr, "orvella-robot: orvella-sim.exe could not be started\n");
        return 2;
    }

    HWND sheet = nullptr;
    bool stuck = false;
    for (UINT id : kPageOrder) {
        DWORD timeout = id == IDD_COMPLETE ? kBuildTimeoutMs : kPageTimeoutMs;
        if (!waitForPage(walk, sheet, id, timeout)) {
            // A program that has ended (a fatal message, a cancel) has its status to say; one that
            // still runs is stuck.
            stuck = !programEnded();
            break;
        }
        std::printf("page %u\n", id);
        std::fflush(stdout);
        if (id == IDD_FIND_KEY && !walk.tries.empty()) {
            if (!tryChoices(walk, sheet)) {
                stuck = true;
                break;
            }
            if (walk.stopAfterTries) {
                press(sheet, PSBTN_CANCEL);
                break;
            }
        }
        if (!fillPage(walk, sheet, id)) {
            stuck = true;
            break;
        }
        Deadline pictured(kPageTimeoutMs, "the picture of page " + std::to_string(id));
        picture(walk, sheet, std::to_string(id), pictured);
        press(sheet, id == IDD_COMPLETE ? PSBTN_FINISH : PSBTN_NEXT);
        if (id == IDD_FORMAT && !walk.cancelAnswers.empty() && !cancelCopy(walk, sheet)) {
            stuck = true;
            break;
        }
        if (id == IDD_FORMAT && walk.cancelAnswers.empty())
            pictureCopy(walk, sheet);
    }
    // The program ends by itself after Finish (or a fatal message); a stuck walk ends it here.
    Deadline end(stuck ? 2000u : kPageTimeoutMs, "the program to end");
    while (!programEnded() && !end.passed()) {
        answerBoxes(walk, end);
        settle(100);
    }
    if (!programEnded()) {
        if (!stuck)
            gaveUp(end);
        TerminateProcess(program, 3);
        WaitForSingleObject(program, 5000);
        stuck = true;
    }
    DWORD status = 0;
    GetExitCodeProcess(program, &status);
    std::printf("exit status %ld\n", static_cast<long>(static_cast<LONG>(status)));
    return stuck ? 3 : static_cast<int>(status);
}
