// Makes the program seem to lie in a test's folder.
#include "support/win32/ProgramFolder.h"

namespace {

// A table entry is a plain function, so the path it answers lives here.
std::string programPath;

DWORD WINAPI programInFolder(HMODULE, LPSTR out, DWORD size) {
    lstrcpynA(out, programPath.c_str(), static_cast<int>(size));
    return static_cast<DWORD>(programPath.size());
}

} // namespace

ProgramInFolder::ProgramInFolder(const std::string &folder)
    : m_entry(sys.GetModuleFileNameA, programInFolder), m_previous(programPath) {
    programPath = folder + "\\orvella.exe";
}

ProgramInFolder::~ProgramInFolder() { programPath = m_previous; }
