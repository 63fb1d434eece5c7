// USB disks as the key scan sees them under Wine: the disk driver's registry list, NT links and drive
// letters redefined with DefineDosDeviceA, and letters whose files live in a fresh folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The letters this fixture may define; it clears its own leftovers from them.
constexpr const char *kUsbFixtureLetters = "KLMNOPQRSTUV";

// One fixture at a time in the whole Wine session: a cross-process lock is held while it lives,
// and everything it made is removed again when it goes.
class WineUsbDisks {
  public:
    WineUsbDisks();
    ~WineUsbDisks();
    WineUsbDisks(const WineUsbDisks &) = delete;
    WineUsbDisks &operator=(const WineUsbDisks &) = delete;

    // Writes "Count" as the number of entries and value i for entry i; a null entry is left out.
    void setDiskList(const std::vector<const char *> &instancePaths);
    void setValue(const char *name, DWORD type, const void *data, DWORD size);
    void removeDiskList();

    // Points a letter at an NT name; the letter then counts among the present drives.
    void defineLetter(char letter, const std::string &target);
    void removeLetter(char letter);
    // Makes a present drive of another fixture (the removable letter of the Wine drive fixture) look
    // like partition 1 of a disk while its files keep working; its own target comes back afterwards.
    void redefineLetter(char letter, const std::string &target);

    // A link or object directory in the NT namespace, gone with the fixture.
    void createLink(const std::string &name, const std::string &target);
    void createDirectory(const std::string &name);

    // Makes the letter's files live in a fresh folder marked as a test key; returns "X:\".
    std::string folderLetter(char letter);

  private:
    HANDLE m_lock;
    std::vector<std::pair<char, std::string>> m_letters;
    std::vector<std::pair<char, std::string>> m_replaced;
    std::vector<HANDLE> m_objects;
    std::vector<std::wstring> m_folders;
};
