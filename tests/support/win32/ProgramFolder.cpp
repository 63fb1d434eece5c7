// Makes the program seem to lie in a test's folder, or its path impossible to have whole.
#include "support/win32/ProgramFolder.h"

namespace {

// A table entry is a plain function, so the path it answers lives here.
std::string programPath;

// As the platform's call: the length without the NUL when the path fits, else the buffer filled with
// the path's start and a NUL, its size returned.
DWORD WINAPI programInFolder(HMODULE, LPSTR out, DWORD size) {
    if (size == 0)
        return 0;
    lstrcpynA(out, programPath.c_str(), static_cast<int>(size));
    if (programPath.size() < size)
        return static_cast<DWORD>(programPath.size());
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

DWORD WINAPI programPathFails(HMODULE, LPSTR, DWORD) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
}

// Longer than any path buffer of the program.
std::string tooLongFolder(const std::string &ancestor) { return ancestor + "\\" + std::string(300, 'x'); }

} // namespace

ProgramInFolder::ProgramInFolder(const std::string &folder)
    : m_entry(sys.GetModuleFileNameA, programInFolder), m_previous(programPath) {
    programPath = folder + "\\orvella.exe";
}

ProgramInFolder::~ProgramInFolder() { programPath = m_previous; }

ProgramPathLost::ProgramPathLost(ProgramPathLoss how, const std::string &ancestor)
    : m_tooLong(tooLongFolder(ancestor)),
      m_entry(sys.GetModuleFileNameA,
              how == ProgramPathLoss::CallFails ? programPathFails : sys.GetModuleFileNameA) {}

CurrentFolder::CurrentFolder(const std::string &folder) {
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    m_made = ::SetCurrentDirectoryA(folder.c_str()) != FALSE;
}

CurrentFolder::~CurrentFolder() { ::SetCurrentDirectoryA(m_previous.c_str()); }
