// orvella-robot.exe: starts the simulated program beside itself and walks its wizard as a user
// would, from outside the program: it presses the sheet's buttons, clicks the pages' controls,
// answers every message box and pictures each page as it comes.
//   orvella-robot create|add PICTURES (--image PATH | --drive) [--try CHOICE]... [--stop-after-tries]
//                 [--cancel-copy no|yes]...
// The CD/DVD letter and the key's letter come from ORVELLA_SIM_CDROM and ORVELLA_SIM_KEY. Each
// --try makes one choice on the select-media page and presses Next, where a refusal is expected:
// "image:PATH" (PATH may be empty), "drive", "no-drive" (drive chosen, no item selected),
// "no-key" (the walk's source, no key selected). Each --cancel-copy presses Cancel once while the
// disc is being copied and gives that answer to the question. Boxes are otherwise answered with
// their first button. Prints each page and box; exits with the program's status, 3 when stuck.
#include "resources/resource.h"
#include "support/win32/WindowPicture.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

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
// The wizard sheet's own Next button.
constexpr int kSheetNextButton = 0x3024;

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

std::wstring windowText(HWND window) {
    wchar_t text[2048] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return text;
}

std::vector<HWND> programDialogs() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            char cls[32] = {};
            GetClassNameA(window, cls, sizeof cls);
            if (pid == programId && IsWindowVisible(window) && std::strcmp(cls, "#32770") == 0)
                reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND currentPage(HWND sheet) {
    DWORD_PTR page = 0;
    SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 2000, &page);
    return reinterpret_cast<HWND>(page);
}

HWND findSheet() {
    for (HWND dialog : programDialogs())
        if (currentPage(dialog))
            return dialog;
    return nullptr;
}

UINT pageId(HWND sheet) {
    HWND page = currentPage(sheet);
    if (!page)
        return 0;
    DWORD_PTR index = static_cast<DWORD_PTR>(-1);
    SendMessageTimeoutA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, SMTO_ABORTIFHUNG, 2000,
                        &index);
    return index < sizeof kPageOrder / sizeof kPageOrder[0] ? kPageOrder[index] : 0;
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

void picture(const Walk &walk, HWND window, const std::string &name) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle(250);
    std::string path = walk.pictures + "\\" + name + ".png";
    if (!SaveWindowPicture(window, path))
        std::printf("picture %s could not be saved\n", name.c_str());
}

// Every box the program shows is answered with its first button (OK, or Yes), after its picture.
void answerBoxes(const Walk &walk, HWND sheet) {
    for (HWND box : programDialogs()) {
        if (box == sheet || currentPage(box))
            continue;
        std::printf("box: %s\n", utf8(windowText(GetDlgItem(box, 0xFFFF))).c_str());
        std::fflush(stdout);
        picture(walk, box, "box" + std::to_string(++boxCount));
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

bool programEnded() { return WaitForSingleObject(program, 0) == WAIT_OBJECT_0; }

// Waits for the page, answering boxes meanwhile; false when the program ended or time ran out.
bool waitForPage(const Walk &walk, HWND &sheet, UINT id, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && !programEnded()) {
        if (!sheet || !IsWindow(sheet))
            sheet = findSheet();
        answerBoxes(walk, sheet);
        if (sheet && pageId(sheet) == id) {
            settle(300);
            return true;
        }
        settle(50);
    }
    return false;
}

void click(HWND page, int control) {
    SendMessageTimeoutA(GetDlgItem(page, control), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    settle(100);
}

// Selects the list item that begins with the letter and tells the page, as a user's pick would.
bool pickLetter(HWND page, int control, char letter) {
    HWND combo = GetDlgItem(page, control);
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof text / sizeof text[0]))
            continue;
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (text[0] == static_cast<wchar_t>(letter) && text[1] == L':') {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            std::printf("picked %s\n", utf8(text).c_str());
            return true;
        }
        std::printf("item %d: %s (%d)\n", static_cast<int>(i), utf8(text).c_str(),
                    static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)));
    }
    std::printf("no item for %c: in list %d (%d items)\n", letter, control, static_cast<int>(count));
    return false;
}

void press(HWND sheet, int button) {
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    settle(200);
}

void chooseImage(HWND page, const std::string &path) {
    click(page, IDC_ISO_FILE_RADIO);
    SendMessageA(GetDlgItem(page, IDC_ISO_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void unselect(HWND page, int control) {
    HWND combo = GetDlgItem(page, control);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// One choice on the select-media page (see the usage above).
void choose(const Walk &walk, HWND page, const std::string &choice) {
    if (choice.compare(0, 6, "image:") == 0) {
        chooseImage(page, choice.substr(6));
    } else if (choice == "drive" || choice == "no-drive") {
        click(page, IDC_CD_DRIVE_RADIO);
        if (choice == "drive")
            pickLetter(page, IDC_SOURCE_COMBO, walk.cdrom);
        else
            unselect(page, IDC_SOURCE_COMBO);
    }
    if (choice == "no-key") {
        choose(walk, page, walk.fromImage ? "image:" + walk.image : "drive");
        unselect(page, IDC_TARGET_COMBO);
    } else {
        pickLetter(page, IDC_TARGET_COMBO, walk.key);
    }
}

// What the user does on each page before going on.
void fillPage(const Walk &walk, HWND sheet, UINT id) {
    HWND page = currentPage(sheet);
    switch (id) {
    case IDD_EULA:
        click(page, IDC_AGREE);
        break;
    case IDD_TASK:
        click(page, walk.addTask ? IDC_TASK_ADD : IDC_TASK_CREATE);
        break;
    case IDD_FIND_KEY:
        choose(walk, page, walk.fromImage ? "image:" + walk.image : "drive");
        break;
    default:
        break;
    }
    settle(200);
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

// Each refused choice leaves the page where it is.
bool tryChoices(const Walk &walk, HWND &sheet) {
    for (const std::string &choice : walk.tries) {
        std::printf("try %s\n", choice.c_str());
        std::fflush(stdout);
        choose(walk, currentPage(sheet), choice);
        int before = boxCount;
        press(sheet, PSBTN_NEXT);
        DWORD start = GetTickCount();
        while (boxCount == before && GetTickCount() - start < kPageTimeoutMs && !programEnded()) {
            answerBoxes(walk, sheet);
            settle(50);
        }
        settle(300);
        answerBoxes(walk, sheet);
        if (pageId(sheet) != IDD_FIND_KEY) {
            std::printf("the choice was not refused: now on page %u\n", pageId(sheet));
            return false;
        }
    }
    return true;
}

// The build has begun (a status shows, Next is off) and Cancel is on again: the disc is being copied.
bool copying(HWND sheet) {
    HWND page = currentPage(sheet);
    return pageId(sheet) == IDD_FORMAT && IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)) &&
           !IsWindowEnabled(GetDlgItem(sheet, kSheetNextButton)) &&
           !windowText(GetDlgItem(page, IDC_STATUS_LINE)).empty();
}

// The page with its animation, when the copy is caught running; a quick copy is over before that.
void pictureCopy(const Walk &walk, HWND sheet) {
    DWORD start = GetTickCount();
    while (!copying(sheet) && pageId(sheet) == IDD_FORMAT && GetTickCount() - start < kBuildTimeoutMs &&
           !programEnded()) {
        answerBoxes(walk, sheet);
        settle(20);
    }
    if (copying(sheet))
        picture(walk, sheet, std::to_string(IDD_FORMAT) + "-copy");
}

// Cancels the copy once per answer; false when the copy could not be caught running.
bool cancelCopy(const Walk &walk, HWND &sheet) {
    for (int answer : walk.cancelAnswers) {
        DWORD start = GetTickCount();
        while (!copying(sheet) && GetTickCount() - start < kBuildTimeoutMs && !programEnded()) {
            answerBoxes(walk, sheet);
            settle(20);
        }
        if (!copying(sheet)) {
            std::printf("the copy was not caught running\n");
            return false;
        }
        std::printf("cancel, answering %s\n", answer == IDYES ? "yes" : "no");
        std::fflush(stdout);
        int before = boxCount;
        pendingAnswer = answer;
        press(sheet, PSBTN_CANCEL);
        while (boxCount == before && GetTickCount() - start < kBuildTimeoutMs && !programEnded()) {
            answerBoxes(walk, sheet);
            settle(20);
        }
        pendingAnswer = 0;
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
            if (stuck)
                std::printf("page %u did not come (now on %u)\n", id,
                            sheet && IsWindow(sheet) ? pageId(sheet) : 0);
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
        fillPage(walk, sheet, id);
        picture(walk, sheet, std::to_string(id));
        press(sheet, id == IDD_COMPLETE ? PSBTN_FINISH : PSBTN_NEXT);
        if (id == IDD_FORMAT && !walk.cancelAnswers.empty() && !cancelCopy(walk, sheet)) {
            stuck = true;
            break;
        }
        if (id == IDD_FORMAT && walk.cancelAnswers.empty())
            pictureCopy(walk, sheet);
    }
    // The program ends by itself after Finish (or a fatal message); a stuck walk ends it here.
    DWORD start = GetTickCount();
    while (!programEnded() && GetTickCount() - start < (stuck ? 2000u : kPageTimeoutMs)) {
        answerBoxes(walk, sheet);
        settle(100);
    }
    if (!programEnded()) {
        TerminateProcess(program, 3);
        WaitForSingleObject(program, 5000);
        stuck = true;
    }
    DWORD status = 0;
    GetExitCodeProcess(program, &status);
    std::printf("exit status %ld\n", static_cast<long>(static_cast<LONG>(status)));
    return stuck ? 3 : static_cast<int>(status);
}
