// The walk robot's questions to another program's windows.
#include "sim/RobotQueries.h"

#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

std::string describe(const char *name, HWND window, const char *why) {
    char line[160];
    std::snprintf(line, sizeof line, "%s to window %p %s", name, static_cast<void *>(window), why);
    return line;
}

bool hasButtonStyle(HWND button, LONG style) {
    return (::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == style;
}

// The window and its shown descendants: the windows that a repaint of the window paints.
std::vector<HWND> shownTree(HWND window) {
    std::vector<HWND> tree{window};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            if (::IsWindowVisible(child))
                reinterpret_cast<std::vector<HWND> *>(param)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tree));
    return tree;
}

// Whether one of the windows still waits for its paint. The update region is read, not asked for:
// without erasing, the read sends the window nothing.
bool awaitsPaint(const std::vector<HWND> &tree) {
    return std::any_of(tree.begin(), tree.end(), [](HWND window) {
        return ::IsWindow(window) && ::GetUpdateRect(window, nullptr, FALSE);
    });
}

} // namespace

Deadline::Deadline(DWORD timeoutMs, std::string waitingFor)
    : start_(::GetTickCount()), timeoutMs_(timeoutMs), waitingFor_(std::move(waitingFor)) {}

DWORD Deadline::leftMs() const {
    DWORD elapsed = elapsedMs();
    return elapsed < timeoutMs_ ? timeoutMs_ - elapsed : 0;
}

std::string Deadline::giveUpLine() const {
    std::string line =
        "gave up after " + std::to_string(elapsedMs() / 1000) + " s waiting for " + waitingFor_;
    if (!unanswered_.empty())
        line += " (" + unanswered_ + ")";
    return line;
}

bool AskWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Deadline &deadline, LRESULT *answer,
               const char *name) {
    for (;;) {
        if (!::IsWindow(window)) {
            deadline.noteUnanswered(describe(name, window, "unanswered: the window is gone"));
            return false;
        }
        DWORD left = deadline.leftMs();
        if (left == 0) {
            deadline.noteUnanswered(describe(name, window, "unanswered in time"));
            return false;
        }
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, std::min(left, kAttemptMs),
                                  &result)) {
            if (answer)
                *answer = static_cast<LRESULT>(result);
            return true;
        }
        // A failure other than the time-out comes at once; it is not asked again in a tight loop.
        ::Sleep(10);
    }
}

bool AskText(HWND window, Deadline &deadline, std::wstring *text) {
    std::vector<wchar_t> buffer(2048, L'\0');
    LRESULT length = 0;
    if (!AskWindow(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), deadline,
                   &length, "WM_GETTEXT"))
        return false;
    buffer.back() = L'\0';
    text->assign(buffer.data(), std::min<size_t>(static_cast<size_t>(std::max<LRESULT>(length, 0)),
                                                 std::wcslen(buffer.data())));
    return true;
}

bool SetText(HWND window, const std::wstring &text, Deadline &deadline) {
    return AskWindow(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), deadline, nullptr,
                     "WM_SETTEXT");
}

bool AskCurrentPage(HWND sheet, Deadline &deadline, HWND *page) {
    LRESULT answer = 0;
    if (!AskWindow(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, deadline, &answer, "PSM_GETCURRENTPAGEHWND"))
        return false;
    *page = reinterpret_cast<HWND>(answer);
    return true;
}

bool AskPageIndex(HWND sheet, Deadline &deadline, int *index) {
    HWND page = nullptr;
    if (!AskCurrentPage(sheet, deadline, &page))
        return false;
    if (!page) {
        *index = -1;
        return true;
    }
    LRESULT answer = -1;
    if (!AskWindow(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, deadline, &answer,
                   "PSM_HWNDTOINDEX"))
        return false;
    *index = static_cast<int>(answer);
    return true;
}

bool ClickButton(HWND button, Deadline &deadline) {
    LRESULT before = 0;
    if (!AskWindow(button, BM_GETCHECK, 0, 0, deadline, &before, "BM_GETCHECK"))
        return false;
    bool radio = hasButtonStyle(button, BS_AUTORADIOBUTTON) || hasButtonStyle(button, BS_RADIOBUTTON);
    auto clicked = [&](LRESULT state) { return radio ? state == BST_CHECKED : state != before; };
    for (;;) {
        DWORD left = deadline.leftMs();
        if (left == 0 || !::IsWindow(button))
            break;
        DWORD_PTR ignored = 0;
        if (::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, std::min(left, kAttemptMs), &ignored))
            return true;
        // The question queues behind a click that was taken, so its answer comes once that click is done.
        LRESULT state = 0;
        if (!AskWindow(button, BM_GETCHECK, 0, 0, deadline, &state, "BM_GETCHECK"))
            return false;
        if (clicked(state))
            return true;
    }
    deadline.noteUnanswered(describe(
        "BM_CLICK", button, ::IsWindow(button) ? "unanswered in time" : "unanswered: the window is gone"));
    return false;
}

bool ShowPainted(HWND window, Deadline &deadline) {
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    // The raise waits in the window's queue ahead of the question; its answer says the raise is done,
    // so what the raise uncovers is painted with the rest.
    if (!AskWindow(window, WM_NULL, 0, 0, deadline, nullptr, "WM_NULL after SetWindowPos"))
        return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    // A window paints once its queue is otherwise empty, so no answer to a question sent after the
    // invalidation says it has painted; its update region, emptied as its painting begins, does.
    std::vector<HWND> tree = shownTree(window);
    while (awaitsPaint(tree)) {
        if (!::IsWindow(window)) {
            deadline.noteUnanswered(describe("WM_PAINT", window, "unanswered: the window is gone"));
            return false;
        }
        if (deadline.passed()) {
            deadline.noteUnanswered(describe("WM_PAINT", window, "unanswered in time"));
            return false;
        }
        ::Sleep(10);
    }
    // The answer comes once the thread is back at its queue, after the painting that emptied the region.
    return AskWindow(window, WM_NULL, 0, 0, deadline, nullptr, "WM_NULL after painting");
}

std::vector<HWND> ProcessDialogs(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto *search = reinterpret_cast<Search *>(param);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            char cls[32] = {};
            ::GetClassNameA(window, cls, sizeof cls);
            if (pid == search->processId && ::IsWindowVisible(window) && std::strcmp(cls, "#32770") == 0)
                search->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsMessageBox(HWND dialog) {
    HWND text = ::GetDlgItem(dialog, kBoxTextId);
    char cls[16] = {};
    return text && ::GetClassNameA(text, cls, sizeof cls) && _stricmp(cls, "Static") == 0 &&
           !::GetDlgItem(dialog, kSheetNextButton);
}

HWND FindSheet(DWORD processId) {
    for (HWND dialog : ProcessDialogs(processId))
        if (::GetDlgItem(dialog, kSheetNextButton))
            return dialog;
    return nullptr;
}

bool ReadBoxText(HWND box, Deadline &deadline, std::wstring *text) {
    HWND message = ::GetDlgItem(box, kBoxTextId);
    DWORD start = ::GetTickCount();
    for (;;) {
        std::wstring read;
        if (!AskText(message, deadline, &read))
            return false;
        if (!read.empty() || ::GetTickCount() - start >= kEmptyBoxMs || deadline.passed()) {
            *text = read;
            return true;
        }
        ::Sleep(50);
    }
}
