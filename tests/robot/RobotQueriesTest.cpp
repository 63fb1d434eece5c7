// The walk robot's questions, asked of windows on other threads that answer late, go away while a
// question waits, paint slowly, never answer or stop after the first answer, or only look like
// message boxes.
#include "sim/RobotQueries.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <ostream>
#include <thread>
#include <vector>

namespace {

// Late enough that one attempt of a question times out and the next is answered.
constexpr DWORD kLateMs = kAttemptMs + 1000;
// Long enough that a robot reading a zero for a missing answer would be caught long before it.
constexpr DWORD kLongWaitMs = 30000;

// How a window's thread keeps a question waiting: inside its handler of the message, or before it
// looks at its queue at all (then the first question may be dropped unseen when it times out).
enum class Busy { InHandler, BeforePumping };

const char *busyName(Busy busy) { return busy == Busy::InHandler ? "InHandler" : "BeforePumping"; }
void PrintTo(Busy busy, std::ostream *out) { *out << busyName(busy); }

// What a test window does: it is slow once on one message, counts the clicks of its buttons and
// its paints, takes its time over each paint and answers the sheet's current-page question with
// its own handle.
struct Behaviour {
    UINT slowMessage = 0;
    DWORD slowMs = 0;
    // The slow message is answered before the time is taken, so only the messages after it wait.
    bool answersFirst = false;
    // Ends the slow time early once set, where there is one.
    HANDLE release = nullptr;
    std::atomic<int> clicks{0};
    // Spent between the start of a paint, which leaves the window valid again, and its end.
    DWORD paintMs = 0;
    std::atomic<int> paints{0};
};

constexpr wchar_t kWindowClass[] = L"OrvellaRobotQueriesTest";

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *behaviour = reinterpret_cast<Behaviour *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (behaviour && message == behaviour->slowMessage) {
        behaviour->slowMessage = 0;
        if (behaviour->answersFirst)
            ::ReplyMessage(0);
        if (behaviour->release)
            ::WaitForSingleObject(behaviour->release, behaviour->slowMs);
        else
            ::Sleep(behaviour->slowMs);
    }
    if (behaviour && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        ++behaviour->clicks;
    if (message == PSM_GETCURRENTPAGEHWND)
        return reinterpret_cast<LRESULT>(window);
    if (behaviour && message == WM_PAINT) {
        PAINTSTRUCT paint;
        ::BeginPaint(window, &paint);
        ::Sleep(behaviour->paintMs);
        ::EndPaint(window, &paint);
        ++behaviour->paints;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window, or a child of parent.
HWND makeTestWindow(const wchar_t *title, Behaviour *behaviour, HWND parent = nullptr) {
    static const ATOM registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = testWindowProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return ::RegisterClassW(&windowClass);
    }();
    if (!registered)
        return nullptr;
    HWND window = parent
                      ? ::CreateWindowExW(0, kWindowClass, title, WS_CHILD | WS_VISIBLE, 20, 20, 100, 60,
                                          parent, nullptr, ::GetModuleHandleW(nullptr), nullptr)
                      : ::CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                          300, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(behaviour));
    return window;
}

// A window made and pumped by a thread of its own, as the program's windows are to the robot.
// beforePumping runs on that thread first; when it returns false the thread ends without pumping.
class WindowThread {
  public:
    explicit WindowThread(std::function<HWND()> make, std::function<bool(HWND)> beforePumping = {})
        : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, make, beforePumping] {
            threadId_ = ::GetCurrentThreadId();
            // The queue exists before the window does, so a quit posted early is not lost.
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            window_ = make();
            ::SetEvent(ready_);
            if (beforePumping && !beforePumping(window_))
                return;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (!::IsDialogMessageW(window_, &msg)) {
                    ::TranslateMessage(&msg);
                    ::DispatchMessageW(&msg);
                }
            }
            if (::IsWindow(window_))
                ::DestroyWindow(window_);
        });
        ::WaitForSingleObject(ready_, INFINITE);
    }
    ~WindowThread() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        ::CloseHandle(ready_);
    }
    HWND window() const { return window_; }

  private:
    HANDLE ready_;
    std::thread thread_;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

std::function<bool(HWND)> sleepFirst(DWORD ms) {
    return [ms](HWND) {
        ::Sleep(ms);
        return true;
    };
}

// --- Answers that come late are still the window's answers.

enum class Question { Text, CurrentPage };

struct LateCase {
    Busy busy;
    Question question;
};

std::string lateName(const LateCase &c) {
    return std::string(busyName(c.busy)) + (c.question == Question::Text ? "Text" : "CurrentPage");
}
void PrintTo(const LateCase &c, std::ostream *out) { *out << lateName(c); }

class RobotQueriesLate : public ::testing::TestWithParam<LateCase> {};

TEST_P(RobotQueriesLate, GetTheWindowsAnswer) {
    LateCase c = GetParam();
    Behaviour behaviour;
    if (c.busy == Busy::InHandler) {
        behaviour.slowMessage = c.question == Question::Text ? WM_GETTEXT : PSM_GETCURRENTPAGEHWND;
        behaviour.slowMs = kLateMs;
    }
    WindowThread late([&] { return makeTestWindow(L"Late answer", &behaviour); },
                      c.busy == Busy::BeforePumping ? sleepFirst(kLateMs) : nullptr);
    ASSERT_TRUE(late.window());

    Deadline deadline(kLongWaitMs, "a late answer");
    DWORD start = ::GetTickCount();
    if (c.question == Question::Text) {
        std::wstring text = L"untouched";
        ASSERT_TRUE(AskText(late.window(), deadline, &text)) << deadline.giveUpLine();
        EXPECT_EQ(text, L"Late answer");
    } else {
        HWND page = nullptr;
        ASSERT_TRUE(AskCurrentPage(late.window(), deadline, &page)) << deadline.giveUpLine();
        EXPECT_EQ(page, late.window());
    }
    // The fixture really kept the first attempt waiting past its time.
    EXPECT_GE(::GetTickCount() - start, kAttemptMs);
}

INSTANTIATE_TEST_SUITE_P(Busy, RobotQueriesLate,
                         ::testing::Values(LateCase{Busy::InHandler, Question::Text},
                                           LateCase{Busy::BeforePumping, Question::Text},
                                           LateCase{Busy::InHandler, Question::CurrentPage},
                                           LateCase{Busy::BeforePumping, Question::CurrentPage}),
                         [](const ::testing::TestParamInfo<LateCase> &info) { return lateName(info.param); });

// --- A window that goes away, or never answers, gives no value.

// Whether the window's thread goes on pumping after it destroyed the window, or ends.
class RobotQueriesGone : public ::testing::TestWithParam<bool> {};

TEST_P(RobotQueriesGone, GiveNoValueAndStopWaiting) {
    bool pumpsOn = GetParam();
    Behaviour behaviour;
    WindowThread gone([&] { return makeTestWindow(L"Gone soon", &behaviour); },
                      [pumpsOn](HWND window) {
                          ::Sleep(1000);
                          ::DestroyWindow(window);
                          return pumpsOn;
                      });
    ASSERT_TRUE(gone.window());

    Deadline deadline(kLongWaitMs, "the text of a window that goes away");
    std::wstring text = L"untouched";
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(AskText(gone.window(), deadline, &text));
    EXPECT_EQ(text, L"untouched");
    EXPECT_LT(::GetTickCount() - start, kAttemptMs + 3000) << "waited on for a window that was gone";
    EXPECT_NE(deadline.unanswered().find("gone"), std::string::npos) << deadline.unanswered();
}

INSTANTIATE_TEST_SUITE_P(Destroyed, RobotQueriesGone, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "ThreadPumpsOn" : "ThreadEnds";
                         });

TEST(RobotQueries, GiveUpAtTheDeadlineAndSaySo) {
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Behaviour behaviour;
    WindowThread stuck([&] { return makeTestWindow(L"Never answers", &behaviour); },
                       [release](HWND) {
                           ::WaitForSingleObject(release, INFINITE);
                           return true;
                       });
    Deadline deadline(3000, "the text of a busy window");
    std::wstring text = L"untouched";
    HWND page = reinterpret_cast<HWND>(1);
    EXPECT_FALSE(AskText(stuck.window(), deadline, &text));
    EXPECT_FALSE(AskCurrentPage(stuck.window(), deadline, &page));
    DWORD waited = deadline.elapsedMs();
    ::SetEvent(release);

    EXPECT_EQ(text, L"untouched");
    EXPECT_EQ(page, reinterpret_cast<HWND>(1));
    EXPECT_GE(waited, 2900u);
    EXPECT_LT(waited, 3000u + 1000u) << "an attempt ran past the deadline";
    std::string line = deadline.giveUpLine();
    EXPECT_NE(line.find("waiting for the text of a busy window"), std::string::npos) << line;
    EXPECT_NE(line.find("PSM_GETCURRENTPAGEHWND"), std::string::npos) << line;
    ::CloseHandle(release);
}

// --- A click that times out is judged by the button's state, never simply sent again.

class RobotQueriesClick : public ::testing::TestWithParam<Busy> {};

TEST_P(RobotQueriesClick, TakesEffectOnce) {
    Busy busy = GetParam();
    Behaviour behaviour;
    if (busy == Busy::InHandler) {
        // The parent is slow over the click's notice, after the box has been checked.
        behaviour.slowMessage = WM_COMMAND;
        behaviour.slowMs = kLateMs;
    }
    HWND box = nullptr;
    WindowThread parent(
        [&] {
            HWND window = makeTestWindow(L"Click", &behaviour);
            box = ::CreateWindowExW(0, L"BUTTON", L"Agree", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10,
                                    120, 20, window, reinterpret_cast<HMENU>(100),
                                    ::GetModuleHandleW(nullptr), nullptr);
            return window;
        },
        busy == Busy::BeforePumping ? sleepFirst(kLateMs) : nullptr);
    ASSERT_TRUE(box);

    // Its state is asked first, so a thread busy before pumping is busy over that question.
    Deadline deadline(kLongWaitMs, "a click");
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(ClickButton(box, deadline)) << deadline.giveUpLine();
    EXPECT_GE(::GetTickCount() - start, kAttemptMs);
    Deadline after(kLongWaitMs, "the state after the click");
    LRESULT state = -1;
    ASSERT_TRUE(AskWindow(box, BM_GETCHECK, 0, 0, after, &state, "BM_GETCHECK"));
    EXPECT_EQ(state, BST_CHECKED) << "a check box clicked twice is off again";
    EXPECT_EQ(behaviour.clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Busy, RobotQueriesClick, ::testing::Values(Busy::InHandler, Busy::BeforePumping),
                         [](const ::testing::TestParamInfo<Busy> &info) { return busyName(info.param); });

// --- A window is pictured once it has painted, and a window that never answers is given up.

// When the window's thread stops taking messages, until long after the deadline.
enum class Block {
    Never,
    FromTheStart,
    // Once it has answered the first question: a raise or a redraw that waits for the thread is
    // caught by the time the call took.
    AfterTheFirstAnswer,
};

struct PaintCase {
    const char *name;
    DWORD windowPaintMs;
    DWORD childPaintMs;
    Block block;
    const char *unanswered; // what the give-up line names as unanswered, when blocked
};

void PrintTo(const PaintCase &c, std::ostream *out) { *out << c.name; }

class RobotQueriesPainted : public ::testing::TestWithParam<PaintCase> {};

TEST_P(RobotQueriesPainted, OnlyOnceEveryWindowHasPainted) {
    PaintCase c = GetParam();
    constexpr DWORD kDeadlineMs = 3000;
    // Well past the deadline, so that a call that waits for the thread is caught by the time it took.
    constexpr DWORD kBlockedMs = kDeadlineMs + 7000;
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Behaviour parent, child;
    parent.paintMs = c.windowPaintMs;
    child.paintMs = c.childPaintMs;
    if (c.block == Block::AfterTheFirstAnswer) {
        // The robot's first question is a WM_NULL; nothing else sends the window one.
        parent.slowMessage = WM_NULL;
        parent.slowMs = kBlockedMs;
        parent.answersFirst = true;
        parent.release = release;
    }
    WindowThread painted(
        [&] {
            HWND window = makeTestWindow(L"Painted", &parent);
            makeTestWindow(L"Child", &child, window);
            return window;
        },
        [&](HWND window) {
            // The paints of the windows' making are not the ones asked for.
            ::RedrawWindow(window, nullptr, nullptr,
                           RDW_VALIDATE | RDW_NOERASE | RDW_NOFRAME | RDW_ALLCHILDREN);
            if (c.block == Block::FromTheStart)
                ::WaitForSingleObject(release, kBlockedMs);
            return true;
        });
    ASSERT_TRUE(painted.window());
    // A paint that the desktop asks for on its own, when the windows are shown, is over before the count.
    ::Sleep(300);
    int parentBefore = parent.paints, childBefore = child.paints;

    bool blocked = c.block != Block::Never;
    Deadline deadline(blocked ? kDeadlineMs : kLongWaitMs, "a painted window");
    bool shown = ShowPainted(painted.window(), deadline);
    DWORD waited = deadline.elapsedMs();
    int parentAfter = parent.paints, childAfter = child.paints;
    ::SetEvent(release);
    ::CloseHandle(release);

    if (blocked) {
        EXPECT_FALSE(shown);
        EXPECT_LT(waited, kDeadlineMs + 1000) << "waited on the window's thread past the deadline";
        EXPECT_NE(deadline.unanswered().find(c.unanswered), std::string::npos) << deadline.giveUpLine();
        EXPECT_NE(deadline.unanswered().find("unanswered in time"), std::string::npos)
            << deadline.giveUpLine();
    } else {
        ASSERT_TRUE(shown) << deadline.giveUpLine();
        EXPECT_GT(parentAfter, parentBefore) << "the window had not painted";
        EXPECT_GT(childAfter, childBefore) << "the child had not painted";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, RobotQueriesPainted,
    ::testing::Values(PaintCase{"Quick", 0, 0, Block::Never, nullptr},
                      PaintCase{"SlowWindow", 1000, 0, Block::Never, nullptr},
                      PaintCase{"SlowChild", 0, 1000, Block::Never, nullptr},
                      PaintCase{"Blocked", 0, 0, Block::FromTheStart, "WM_NULL after SetWindowPos"},
                      PaintCase{"BlockedAfterTheFirstAnswer", 0, 0, Block::AfterTheFirstAnswer, "WM_PAINT"}),
    [](const ::testing::TestParamInfo<PaintCase> &info) { return info.param.name; });

// --- What counts as a message box.

// A dialog template in memory: the dialog, then each control, every item on a DWORD boundary.
class DialogTemplate {
  public:
    explicit DialogTemplate(DWORD style) {
        dword(style);
        dword(0);
        words_.push_back(0); // the number of controls, counted by add()
        for (short v : {0, 0, 200, 100})
            words_.push_back(static_cast<WORD>(v));
        words_.insert(words_.end(), {0, 0, 0}); // no menu, the dialog class, no title
    }
    DialogTemplate &add(WORD id, WORD classAtom, DWORD style, const wchar_t *text) {
        if (words_.size() % 2)
            words_.push_back(0);
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        for (short v : {10, 10, 80, 14})
            words_.push_back(static_cast<WORD>(v));
        words_.push_back(id);
        words_.insert(words_.end(), {0xFFFF, classAtom});
        for (const wchar_t *c = text; *c; ++c)
            words_.push_back(static_cast<WORD>(*c));
        words_.push_back(0);
        words_.push_back(0); // no creation data
        ++words_[4];
        return *this;
    }
    const DLGTEMPLATE *get() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }

  private:
    void dword(DWORD v) { words_.insert(words_.end(), {LOWORD(v), HIWORD(v)}); }
    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kStaticAtom = 0x0082;

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND makeDialog(const DialogTemplate &dialog) {
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dialog.get(), nullptr, quietDialogProc,
                                        0);
}

// A modeless wizard of one page; the page has a static text with the message box's id, as pages do.
HWND makeSheet() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    static DialogTemplate page = [] {
        DialogTemplate t(WS_CHILD | DS_CONTROL);
        t.add(kBoxTextId, kStaticAtom, 0, L"A page's label");
        return t;
    }();
    PROPSHEETPAGEW sheetPage{};
    sheetPage.dwSize = sizeof sheetPage;
    sheetPage.dwFlags = PSP_DLGINDIRECT;
    sheetPage.pResource = page.get();
    sheetPage.pfnDlgProc = quietDialogProc;
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_MODELESS | PSH_PROPSHEETPAGE;
    header.pszCaption = L"Robot sheet";
    header.nPages = 1;
    header.ppsp = &sheetPage;
    HWND sheet = reinterpret_cast<HWND>(::PropertySheetW(&header));
    ::ShowWindow(sheet, SW_SHOW);
    return sheet;
}

// A message box on a thread of its own; the box is found among the thread's windows.
class MessageBoxThread {
  public:
    explicit MessageBoxThread(const wchar_t *text) {
        thread_ = std::thread([this, text] {
            threadId_ = ::GetCurrentThreadId();
            ::MessageBoxW(nullptr, text, L"Robot box", MB_OK);
        });
        DWORD start = ::GetTickCount();
        while (!box_ && ::GetTickCount() - start < kLongWaitMs) {
            ::Sleep(20);
            if (threadId_)
                ::EnumThreadWindows(
                    threadId_,
                    [](HWND window, LPARAM param) -> BOOL {
                        if (::IsWindowVisible(window))
                            *reinterpret_cast<HWND *>(param) = window;
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&box_));
        }
    }
    ~MessageBoxThread() {
        ::PostMessageW(box_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        thread_.join();
    }
    HWND box() const { return box_; }

  private:
    std::thread thread_;
    std::atomic<DWORD> threadId_{0};
    HWND box_ = nullptr;
};

// Each window's thread is blocked while it is judged: the judgement asks the window nothing.
TEST(RobotQueries, BoxesAreDialogsWithAMessageAndNoNextButton) {
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto blocked = [release](HWND) {
        ::WaitForSingleObject(release, INFINITE);
        return true;
    };
    WindowThread sheet(makeSheet, blocked);
    WindowThread lookalike(
        [] {
            return makeDialog(DialogTemplate(WS_POPUP | WS_VISIBLE)
                                  .add(kBoxTextId, kStaticAtom, 0, L"Text")
                                  .add(kSheetNextButton, kButtonAtom, BS_PUSHBUTTON, L"Next"));
        },
        blocked);
    WindowThread noText(
        [] {
            return makeDialog(
                DialogTemplate(WS_POPUP | WS_VISIBLE).add(IDOK, kButtonAtom, BS_PUSHBUTTON, L"OK"));
        },
        blocked);
    MessageBoxThread box(L"A message");
    MessageBoxThread emptyBox(L"");

    struct Case {
        const char *what;
        HWND window;
        bool isBox;
    } cases[] = {
        {"a message box", box.box(), true},
        {"an empty message box", emptyBox.box(), true},
        {"the wizard sheet", sheet.window(), false},
        {"a dialog with a message text and a Next button", lookalike.window(), false},
        {"a dialog without a message text", noText.window(), false},
    };
    DWORD start = ::GetTickCount();
    std::vector<HWND> dialogs = ProcessDialogs(::GetCurrentProcessId());
    for (const Case &c : cases) {
        ASSERT_TRUE(c.window) << c.what;
        EXPECT_NE(std::find(dialogs.begin(), dialogs.end(), c.window), dialogs.end()) << c.what;
        EXPECT_EQ(IsMessageBox(c.window), c.isBox) << c.what;
    }
    EXPECT_LT(::GetTickCount() - start, 1000u) << "the windows were asked something";
    ::SetEvent(release);
    ::CloseHandle(release);
}

// The sheet is known from the start, however busy it is, and is never taken for a box.
TEST(RobotQueries, TheSheetIsFoundWhileTooBusyToAnswer) {
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WindowThread sheet(makeSheet, [release](HWND) {
        ::WaitForSingleObject(release, INFINITE);
        return true;
    });
    MessageBoxThread box(L"A message");
    DWORD start = ::GetTickCount();
    EXPECT_EQ(FindSheet(::GetCurrentProcessId()), sheet.window());
    std::vector<HWND> dialogs = ProcessDialogs(::GetCurrentProcessId());
    EXPECT_EQ(std::count_if(dialogs.begin(), dialogs.end(), IsMessageBox), 1);
    EXPECT_LT(::GetTickCount() - start, 1000u) << "the sheet was asked something";
    ::SetEvent(release);
    ::CloseHandle(release);
}

// --- A box's text is read once it is there, or taken as empty after a while.

struct BoxTextCase {
    const char *name;
    const wchar_t *initial;
    const wchar_t *later; // set by the box's thread after a second, if not null
    const wchar_t *expected;
};

void PrintTo(const BoxTextCase &c, std::ostream *out) { *out << c.name; }

class RobotQueriesBoxText : public ::testing::TestWithParam<BoxTextCase> {};

TEST_P(RobotQueriesBoxText, IsReadOnceThere) {
    BoxTextCase c = GetParam();
    WindowThread box([&] {
        HWND dialog = makeDialog(DialogTemplate(WS_POPUP | WS_VISIBLE)
                                     .add(kBoxTextId, kStaticAtom, 0, c.initial)
                                     .add(IDOK, kButtonAtom, BS_PUSHBUTTON, L"OK"));
        if (c.later) {
            ::SetPropW(dialog, L"later", const_cast<wchar_t *>(c.later));
            ::SetTimer(dialog, 1, 1000, [](HWND window, UINT, UINT_PTR id, DWORD) {
                ::KillTimer(window, id);
                ::SetDlgItemTextW(window, kBoxTextId,
                                  static_cast<const wchar_t *>(::GetPropW(window, L"later")));
            });
        }
        return dialog;
    });
    ASSERT_TRUE(box.window());

    Deadline deadline(kLongWaitMs, "a box's text");
    std::wstring text = L"untouched";
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(ReadBoxText(box.window(), deadline, &text)) << deadline.giveUpLine();
    EXPECT_EQ(text, c.expected);
    if (!*c.expected) {
        EXPECT_GE(::GetTickCount() - start, kEmptyBoxMs) << "taken as empty too soon";
    }
}

INSTANTIATE_TEST_SUITE_P(Boxes, RobotQueriesBoxText,
                         ::testing::Values(BoxTextCase{"AtOnce", L"A message", nullptr, L"A message"},
                                           BoxTextCase{"SetLate", L"", L"A late message", L"A late message"},
                                           BoxTextCase{"EmptyForGood", L"", nullptr, L""}),
                         [](const ::testing::TestParamInfo<BoxTextCase> &info) { return info.param.name; });

} // namespace
