// The walk robot's questions to another program's windows: each one answered, or given up at a deadline.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The wizard sheet's own Next button, which a message box never has.
constexpr int kSheetNextButton = 0x3024;
// The static text that holds a message box's message.
constexpr int kBoxTextId = 0xFFFF;
// One attempt of a question waits this long; a program too busy to answer gets the question again.
constexpr DWORD kAttemptMs = 2000;
// Some messages are empty for good; a box's text that stays empty this long is taken as empty.
constexpr DWORD kEmptyBoxMs = 2000;

// When a wait gives up and what it waits for. The questions asked within it note the last one that
// went unanswered, so that a robot that gives up can say what it was waiting for.
class Deadline {
  public:
    Deadline(DWORD timeoutMs, std::string waitingFor);
    bool passed() const { return leftMs() == 0; }
    DWORD leftMs() const;
    DWORD elapsedMs() const { return ::GetTickCount() - start_; }
    const std::string &waitingFor() const { return waitingFor_; }
    const std::string &unanswered() const { return unanswered_; }
    void noteUnanswered(std::string question) { unanswered_ = std::move(question); }
    // "gave up after 60 s waiting for ...", with the question that went unanswered, if one did.
    std::string giveUpLine() const;

  private:
    DWORD start_;
    DWORD timeoutMs_;
    std::string waitingFor_;
    std::string unanswered_;
};

// Sends the message and gives its answer. An attempt that times out is sent again while the window
// exists, until the deadline. False when no answer came: *answer is then left as it was, and the
// deadline notes the question by name.
bool AskWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Deadline &deadline, LRESULT *answer,
               const char *name);

// The window's text; false (and *text as it was) when it never answered.
bool AskText(HWND window, Deadline &deadline, std::wstring *text);
// Sets the window's text; a text set twice is the same text.
bool SetText(HWND window, const std::wstring &text, Deadline &deadline);
// The sheet's current page, nullptr when it has none (after a cancel).
bool AskCurrentPage(HWND sheet, Deadline &deadline, HWND *page);
// The index of the sheet's current page, -1 when it has none.
bool AskPageIndex(HWND sheet, Deadline &deadline, int *index);

// Clicks a radio button or a check box. A click that times out may still be carried out, or may
// have been dropped unseen: the button's state tells which, and only a dropped click is sent again
// (a check box clicked twice is off again). A radio button that is on already shows no effect; its
// page knew that before the click. False when the button never showed the click by the deadline.
bool ClickButton(HWND button, Deadline &deadline);

// Brings the window above the others and has it and its shown children painted anew, each call
// bounded like a question: the raise is posted (a window of another thread would have the caller
// wait for it) and the invalidation only marks the windows. True once every one of them has
// painted and the window has answered a question since, so that the screen shows it painted;
// false when that did not come by the deadline, or the window went away.
bool ShowPainted(HWND window, Deadline &deadline);

// The shown top-level dialogs of the process.
std::vector<HWND> ProcessDialogs(DWORD processId);
// A message box: a dialog with a message text and without the sheet's Next button. Decided from the
// window's children alone, so a sheet too busy to answer can never look like a box.
bool IsMessageBox(HWND dialog);
// The process's wizard sheet: its dialog with the sheet's Next button; nullptr while there is none.
HWND FindSheet(DWORD processId);

// The box's message once it reads non-empty, or empty when it stays so for kEmptyBoxMs (or until the
// deadline, when that comes first). False when the box did not answer or went away.
bool ReadBoxText(HWND box, Deadline &deadline, std::wstring *text);
