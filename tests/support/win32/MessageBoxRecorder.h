// Answers the program's message boxes through the system-call table and records each one.
#pragma once

#include "platform/SystemCalls.h"

#include <string>
#include <vector>

class MessageBoxRecorder {
  public:
    struct Box {
        HWND owner;
        std::string text;
        std::string caption;
        UINT type;
    };

    // Every box is answered with `answer` while the recorder lives. One recorder at a time.
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder &) = delete;
    MessageBoxRecorder &operator=(const MessageBoxRecorder &) = delete;

    const std::vector<Box> &boxes() const { return m_boxes; }

  private:
    static int WINAPI answerBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

    int m_answer;
    std::vector<Box> m_boxes;
    ScopedSystemCall<decltype(SystemCalls::MessageBoxA)> m_replacement;
};

// The system's text for an error code, as a box that reports a program that cannot be started shows it.
std::string SystemErrorText(DWORD error);
