// Files that a test puts on a drive letter, removed again afterwards.
#pragma once

#include <string>
#include <vector>

// Files a test puts on a fixture drive, removed again (with the folders made for them) when the
// object goes, so the next test finds the drive as the fixture left it.
class DriveFiles {
  public:
    explicit DriveFiles(char letter) : m_letter(letter) {}
    ~DriveFiles();
    DriveFiles(const DriveFiles &) = delete;
    DriveFiles &operator=(const DriveFiles &) = delete;

    // `relative` uses backslashes, e.g. "usb\\usbcreator.xml".
    void write(const std::string &relative, const std::string &contents);
    // "E:\" followed by `relative`.
    std::string path(const std::string &relative) const;

  private:
    char m_letter;
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;
};
