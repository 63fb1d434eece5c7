// Makes the program seem to lie in a test's folder, so what it looks for beside itself (licence,
// boot files, override folder) comes from there.
#pragma once

#include "platform/SystemCalls.h"

#include <string>

class ProgramInFolder {
  public:
    // The executable's path becomes folder\orvella.exe until the object is gone.
    explicit ProgramInFolder(const std::string &folder);
    ~ProgramInFolder();
    ProgramInFolder(const ProgramInFolder &) = delete;
    ProgramInFolder &operator=(const ProgramInFolder &) = delete;

  private:
    ScopedSystemCall<decltype(SystemCalls::GetModuleFileNameA)> m_entry;
    std::string m_previous;
};
