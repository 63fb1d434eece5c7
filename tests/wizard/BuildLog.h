// What the format-and-copy page does while it builds the key, in order, as seen from outside: its
// status texts, the animation's requests and the programs it starts, each with the state of the
// sheet's buttons at that moment.
#pragma once

#include "platform/SystemCalls.h"

#include <mutex>
#include <string>
#include <vector>

class BuildLog {
  public:
    // Watches the page's status line and animation and every program start. One at a time.
    BuildLog(HWND sheet, HWND statusLine, HWND animation);
    ~BuildLog();
    BuildLog(const BuildLog &) = delete;
    BuildLog &operator=(const BuildLog &) = delete;

    std::vector<std::string> events() const;
    // Every program start runs this first, on the thread that starts it; true: pretend the start
    // failed.
    bool (*onStart)(const std::string &commandLine) = nullptr;

  private:
    void add(const std::string &event, bool withButtons = true);
    static LRESULT CALLBACK statusProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK animationProc(HWND, UINT, WPARAM, LPARAM);
    static BOOL WINAPI createProcess(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                                     LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION);

    HWND m_sheet, m_status, m_animation;
    WNDPROC m_statusProc, m_animationProc;
    mutable std::mutex m_lock;
    std::vector<std::string> m_events;
    ScopedSystemCall<decltype(sys.CreateProcessA)> m_createProcess;
};
