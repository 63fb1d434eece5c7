// A fresh, empty folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    // The folder in the platform's own syntax, without a trailing separator.
    const std::string &path() const { return m_path; }
    // path() joined with a relative name (forward slashes are turned into the native separator).
    std::string operator/(const std::string &relative) const;

    // Writes a file (making its folders) and reads one back.
    void write(const std::string &relative, const std::string &contents) const;
    std::string read(const std::string &relative) const;
    bool exists(const std::string &relative) const;

  private:
    std::string m_path;
};
