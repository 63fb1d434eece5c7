// Answers the program's message boxes through the system-call table and records each one.
#include "support/win32/MessageBoxRecorder.h"

#include <stdexcept>

namespace {

MessageBoxRecorder *current = nullptr;

} // namespace

MessageBoxRecorder::MessageBoxRecorder(int answer)
    : m_answer(answer), m_replacement(sys.MessageBoxA, &MessageBoxRecorder::answerBox) {
    if (current)
        throw std::logic_error("one message box recorder at a time");
    current = this;
}

MessageBoxRecorder::~MessageBoxRecorder() { current = nullptr; }

int WINAPI MessageBoxRecorder::answerBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    current->m_boxes.push_back(Box{owner, text ? text : "", caption ? caption : "", type});
    return current->m_answer;
}

std::string SystemErrorText(DWORD error) {
    char *text = nullptr;
    ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char *>(&text), 0, nullptr);
    std::string result = text ? text : "";
    if (text)
        ::LocalFree(text);
    return result;
}
