// orvella-robot.exe: starts the simulated program beside itself and walks its wizard as a user
// would, from outside the program: it presses the sheet's buttons, clicks the pages' controls,
// answers every message box with its default button and pictures each page as it comes.
//   orvella-robot WALK PICTURES [IMAGE]
//   WALK: create-image (first task, IMAGE as source), create-drive (first task, the CD/DVD letter
//   in ORVELLA_SIM_CDROM as source), add-image (second task, IMAGE as source).
// Prints each page, each box's text, and the program's exit status; exits with that status, or 3
// when the walk got stuck.
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

struct Walk {
    std::string name;
    bool addTask = false;
    bool fromImage = false;
    std::string image;
    char cdrom = 0;
    char key = 0;
    std::string pictures;
};

DWORD programId = 0;
HANDLE program = nullptr;
int boxCount = 0;

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
        char text[256] = {};
        if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof text))
            continue;
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        if (text[0] == letter && text[1] == ':') {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            SendMessageA(page, WM_COMMAND, MAKEWPARAM(control, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            std::printf("picked %s\n", text);
            return true;
        }
    }
    std::printf("no item for %c: in list %d\n", letter, control);
    return false;
}

void press(HWND sheet, int button) {
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    settle(200);
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
        if (walk.fromImage) {
            click(page, IDC_ISO_FILE_RADIO);
            SendMessageA(GetDlgItem(page, IDC_ISO_PATH), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(walk.image.c_str()));
        } else {
            click(page, IDC_CD_DRIVE_RADIO);
            pickLetter(page, IDC_SOURCE_COMBO, walk.cdrom);
        }
        pickLetter(page, IDC_TARGET_COMBO, walk.key);
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

} // namespace

int main(int argc, char **argv) {
    Walk walk;
    if (argc < 3) {
        std::fprintf(stderr, "usage: orvella-robot create-image|create-drive|add-image PICTURES [IMAGE]\n");
        return 2;
    }
    walk.name = argv[1];
    walk.pictures = argv[2];
    walk.addTask = walk.name == "add-image";
    walk.fromImage = walk.name != "create-drive";
    walk.image = argc > 3 ? argv[3] : "";
    walk.cdrom = letterOf("ORVELLA_SIM_CDROM");
    walk.key = letterOf("ORVELLA_SIM_KEY");
    if ((walk.fromImage && walk.image.empty()) || (!walk.fromImage && !walk.cdrom) || !walk.key) {
        std::fprintf(stderr,
                     "orvella-robot: the walk needs its image, ORVELLA_SIM_CDROM and ORVELLA_SIM_KEY\n");
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
            std::printf("page %u did not come (now on %u)\n", id,
                        sheet && IsWindow(sheet) ? pageId(sheet) : 0);
            stuck = true;
            break;
        }
        std::printf("page %u\n", id);
        std::fflush(stdout);
        fillPage(walk, sheet, id);
        picture(walk, sheet, std::to_string(id));
        press(sheet, id == IDD_COMPLETE ? PSBTN_FINISH : PSBTN_NEXT);
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
    std::printf("exit status %lu\n", status);
    return stuck ? 3 : static_cast<int>(status);
}
