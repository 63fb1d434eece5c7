// Makes the program seem to lie in a test's folder, so what it looks for beside itself (licence,
// boot files, override folder) comes from there; or makes its path impossible to have whole.
#pragma once

#include "platform/SystemCalls.h"

#include <string>

class ProgramInFolder {
  public:
    // The executable's path becomes folder\orvella.exe until the object is gone. A path longer than
    // the caller's buffer is cut and fills it, as the platform's call does.
    explicit ProgramInFolder(const std::string &folder);
    ~ProgramInFolder();
    ProgramInFolder(const ProgramInFolder &) = delete;
    ProgramInFolder &operator=(const ProgramInFolder &) = delete;

  private:
    ScopedSystemCall<decltype(SystemCalls::GetModuleFileNameA)> m_entry;
    std::string m_previous;
};

// The two ways the executable's path cannot be had whole.
enum class ProgramPathLoss {
    CallFails,    // the call answers 0
    BufferFilled, // the path is longer than the buffer, which the call fills with its start
};

// While it lives, the executable's path cannot be had whole. A filled buffer holds `ancestor`, a
// backslash and the start of a long folder name: a caller that took its last backslash for the
// program's folder would look in `ancestor`; one that took a failed call's empty text, in the root
// of the current drive.
class ProgramPathLost {
  public:
    ProgramPathLost(ProgramPathLoss how, const std::string &ancestor);

  private:
    ProgramInFolder m_tooLong;
    ScopedSystemCall<decltype(SystemCalls::GetModuleFileNameA)> m_entry;
};

// Makes a folder current until the object is gone.
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string &folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;
    // Whether the folder could be made current.
    bool made() const { return m_made; }

  private:
    std::string m_previous;
    bool m_made;
};
