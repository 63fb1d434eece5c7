// The build log.
#include "BuildLog.h"

#include "PageFixture.h"

#include "resources/StringIds.h"

namespace {

BuildLog *current = nullptr;

std::string statusName(const std::string &text) {
    for (unsigned id : {IDS_FORMATTING, IDS_MAKING_BOOTABLE, IDS_COPYING})
        if (text == loadedText(id))
            return "status " + std::to_string(id);
    return "status \"" + text + "\"";
}

} // namespace

BuildLog::BuildLog(HWND sheet, HWND statusLine, HWND animation)
    : m_sheet(sheet), m_status(statusLine), m_animation(animation),
      m_createProcess(sys.CreateProcessA, &BuildLog::createProcess) {
    current = this;
    m_statusProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(statusLine, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BuildLog::statusProc)));
    m_animationProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(animation, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BuildLog::animationProc)));
}

BuildLog::~BuildLog() {
    if (::IsWindow(m_status))
        ::SetWindowLongPtrA(m_status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_statusProc));
    if (::IsWindow(m_animation))
        ::SetWindowLongPtrA(m_animation, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_animationProc));
    current = nullptr;
}

std::vector<std::string> BuildLog::events() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_events;
}

void BuildLog::add(const std::string &event, bool withButtons) {
    std::string line = event;
    if (withButtons) {
        auto state = [&](int id) { return ::IsWindowEnabled(::GetDlgItem(m_sheet, id)) ? "1" : "0"; };
        line += std::string(" [back ") + state(kBackButtonId) + " next " + state(kNextButtonId) + " cancel " +
                state(IDCANCEL) + "]";
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_events.push_back(line);
}

LRESULT CALLBACK BuildLog::statusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT)
        current->add(statusName(reinterpret_cast<const char *>(lParam)));
    return ::CallWindowProcA(current->m_statusProc, window, message, wParam, lParam);
}

LRESULT CALLBACK BuildLog::animationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case ACM_OPENA:
        current->add(lParam ? "open " + std::to_string(lParam) : std::string("close"), false);
        break;
    case ACM_PLAY:
        current->add("play " + std::to_string(static_cast<int>(wParam)) + " from " +
                         std::to_string(static_cast<short>(LOWORD(lParam))) + " to " +
                         std::to_string(static_cast<short>(HIWORD(lParam))),
                     false);
        break;
    case ACM_STOP:
        current->add("stop", false);
        break;
    default:
        break;
    }
    return ::CallWindowProcA(current->m_animationProc, window, message, wParam, lParam);
}

BOOL WINAPI BuildLog::createProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                                    LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                                    LPVOID environment, LPCSTR folder, LPSTARTUPINFOA startup,
                                    LPPROCESS_INFORMATION information) {
    std::string command = commandLine ? commandLine : "";
    current->add("start " + command);
    if (current->onStart && current->onStart(command)) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return ::CreateProcessA(application, commandLine, process, thread, inherit, flags, environment, folder,
                            startup, information);
}
