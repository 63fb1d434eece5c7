// Boot setup on a folder-backed key: the installer stand-in, the boot file set, the menu entry, key tests.
#include "keybuilder/DeviceManager.h"

#include "doubles/TestKey.h"
#include "keybuilder/PathFunctions.h"
#include "platform/SystemCalls.h"
#include "support/FileBytes.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/ProgramFolder.h"
#include "support/win32/WineUsbDisks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

void writeFile(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string programFolder() {
    char folder[MAX_PATH];
    GetModuleDirectory(folder, sizeof folder);
    return folder;
}

// Key P: is a fresh folder; the fixture's lock also covers what these tests change beside the program
// (the boot files, the installer).
class BootSetupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = disks.folderLetter('P');
        ASSERT_FALSE(root.empty());
        manager.letter = 'P';
    }

    void TearDown() override { removeBootFiles(); }

    void removeBootFiles() {
        for (const char *name : kMultibootFiles) {
            std::string path = programFolder() + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }

    // The six boot files beside the program, each holding its own name, all but `missing`.
    void placeBootFiles(const std::string &missing = "") {
        for (const char *name : kMultibootFiles)
            if (name != missing)
                writeFile(programFolder() + "\\" + name, std::string("boot file ") + name);
    }

    WineUsbDisks disks;
    CDeviceManager manager;
    std::string root;
};

DWORD installerFlags;
std::string installerFolder;

BOOL WINAPI recordingCreateProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                                   LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                                   LPVOID environment, LPCSTR folder, LPSTARTUPINFOA startup,
                                   LPPROCESS_INFORMATION info) {
    installerFlags = flags;
    installerFolder = folder ? folder : "(none)";
    return ::CreateProcessA(application, commandLine, process, thread, inherit, flags, environment, folder,
                            startup, info);
}

TEST_F(BootSetupTest, RunSyslinuxRunsTheInstallerOnTheKeyInItsJob) {
    ScopedSystemCall<decltype(sys.CreateProcessA)> recorder(sys.CreateProcessA, recordingCreateProcess);
    installerFlags = 0;
    SetEnvironmentVariableA(kSyslinuxJobVariable, kSyslinuxJob);
    EXPECT_TRUE(manager.RunSyslinux());
    SetEnvironmentVariableA(kSyslinuxJobVariable, nullptr);
    EXPECT_EQ(readWholeFile(root + "ldlinux.sys"), "syslinux.exe -fma P:\nin KXUSB-Syslinux-Job");
    EXPECT_NE(installerFlags & CREATE_NO_WINDOW, 0u) << "the installer opens no console window";
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(lstrcmpiA(installerFolder.c_str(), system), 0) << installerFolder << " is current";
}

// The installer writes its loader even where it then fails, so only its exit code tells a bootable
// key from one that is not.
TEST_F(BootSetupTest, RunSyslinuxIsTrueOnlyForAnInstallerThatEndsWithZero) {
    struct Case {
        const char *exitCode; // what the stand-in is told to end with; null: it is not told
        bool result;
    } cases[] = {{nullptr, true}, {"0", true}, {"1", false}, {"255", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.exitCode ? c.exitCode : "not told");
        DeleteFileA((root + "ldlinux.sys").c_str());
        SetEnvironmentVariableA(kSyslinuxExitCodeVariable, c.exitCode);
        MessageBoxRecorder boxes;
        bool ran = manager.RunSyslinux();
        SetEnvironmentVariableA(kSyslinuxExitCodeVariable, nullptr);
        EXPECT_EQ(ran, c.result);
        EXPECT_TRUE(exists(root + "ldlinux.sys")) << "the installer ran";
        EXPECT_TRUE(boxes.boxes().empty()) << "an installer that ran is no start failure";
    }
}

TEST_F(BootSetupTest, AnInstallerThatCannotStartIsReportedAndGivesFalse) {
    std::string installer = programFolder() + "\\syslinux.exe";
    ASSERT_TRUE(MoveFileA(installer.c_str(), (installer + ".away").c_str()));
    MessageBoxRecorder boxes;
    bool ran = manager.RunSyslinux();
    MoveFileA((installer + ".away").c_str(), installer.c_str());

    EXPECT_FALSE(ran);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Error");
    EXPECT_FALSE(exists(root + "ldlinux.sys"));
}

// Without the program's folder a bare name would lead to the current drive's root, and a cut path
// to an ancestor folder: an installer and boot files planted in both are never taken.
TEST_F(BootSetupTest, WithoutTheProgramsFolderNoInstallerRunsAndNoBootFileIsCopied) {
    std::string elsewhere = disks.folderLetter('Q');
    ASSERT_FALSE(elsewhere.empty());
    ASSERT_TRUE(
        CopyFileA((programFolder() + "\\syslinux.exe").c_str(), (elsewhere + "syslinux.exe").c_str(), FALSE));
    for (const char *name : kMultibootFiles)
        writeFile(elsewhere + name, std::string("planted ") + name);
    CurrentFolder current(elsewhere);
    ASSERT_TRUE(current.made());

    for (ProgramPathLoss how : {ProgramPathLoss::CallFails, ProgramPathLoss::BufferFilled}) {
        SCOPED_TRACE(how == ProgramPathLoss::CallFails ? "call fails" : "buffer filled");
        ProgramPathLost lost(how, elsewhere.substr(0, 2));
        MessageBoxRecorder boxes;
        EXPECT_FALSE(manager.RunSyslinux());
        EXPECT_FALSE(exists(root + "ldlinux.sys"));
        EXPECT_FALSE(manager.CopyMultibootFiles());
        for (const char *name : kMultibootFiles)
            EXPECT_FALSE(exists(root + name)) << name;
        // The installer's start failure, and nothing for the boot files.
        std::vector<std::string> shown;
        for (const auto &box : boxes.boxes())
            shown.push_back(box.caption + ": " + box.text);
        EXPECT_EQ(shown, std::vector<std::string>{"Error: " + SystemErrorText(ERROR_FILE_NOT_FOUND)});

        DeleteFileA((root + "ldlinux.sys").c_str());
        for (const char *name : kMultibootFiles)
            DeleteFileA((root + name).c_str());
    }
}

TEST_F(BootSetupTest, CopiesTheSixBootFilesOverWhatIsOnTheKey) {
    placeBootFiles();
    std::string readOnly = programFolder() + "\\vesamenu.c32";
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    writeFile(root + "syslinux.cfg", "an older menu");

    EXPECT_TRUE(manager.CopyMultibootFiles());
    for (const char *name : kMultibootFiles)
        EXPECT_EQ(readWholeFile(root + name), std::string("boot file ") + name);
    // Wine keeps no attribute but read-only, and shows every file as archive.
    EXPECT_EQ(GetFileAttributesA((root + "vesamenu.c32").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(BootSetupTest, StopsAtTheFirstFileThatCannotBeCopied) {
    // The order the key receives them in, written out here rather than taken from the program.
    const std::vector<std::string> order = {"common.cfg",   "kxmboot.cfg",  "kxusb.jpg",
                                            "mainmenu.cfg", "syslinux.cfg", "vesamenu.c32"};
    for (size_t missing = 0; missing < order.size(); ++missing) {
        SCOPED_TRACE(order[missing] + " missing");
        for (const std::string &name : order)
            DeleteFileA((root + name).c_str());
        removeBootFiles();
        placeBootFiles(order[missing]);
        EXPECT_FALSE(manager.CopyMultibootFiles());
        for (size_t i = 0; i < order.size(); ++i)
            EXPECT_EQ(exists(root + order[i]), i < missing) << order[i];
    }
}

TEST_F(BootSetupTest, TheMenuEntryIsAppendedWithLineFeedsOnly) {
    const std::string existing = "DEFAULT vesamenu.c32\r\nAPPEND mainmenu.cfg";
    const std::string entry = "\nLABEL disc1\nMENU LABEL Disc One 1.0 x64\nKERNEL vesamenu.c32\n"
                              "APPEND disc1/isolinux.cfg mainmenu.cfg\n";
    writeFile(root + "syslinux.cfg", existing);

    ASSERT_TRUE(manager.AddSyslinuxMenuEntry("disc1", "Disc One 1.0 x64", "isolinux.cfg", 0, "50"));
    EXPECT_EQ(readWholeFile(root + "syslinux.cfg"), existing + entry + "\nTIMEOUT 50\nONTIMEOUT disc1\n");

    // A disc added later gets its entry and leaves the time-out to the first.
    ASSERT_TRUE(manager.AddSyslinuxMenuEntry("disc1", "Disc One 1.0 x64", "isolinux.cfg", 1, "50"));
    EXPECT_EQ(readWholeFile(root + "syslinux.cfg"),
              existing + entry + "\nTIMEOUT 50\nONTIMEOUT disc1\n" + entry);
}

TEST_F(BootSetupTest, TheEntryTakesItsTextsUnchanged) {
    writeFile(root + "syslinux.cfg", "");
    // Percent signs and 8-bit text (UTF-8 here) are the disc's own and must not be read as a format.
    ASSERT_TRUE(manager.AddSyslinuxMenuEntry(
        "d%s1", "100% \xe3\x83\x87\xe3\x82\xa3\xe3\x82\xb9\xe3\x82\xaf %d", "iso%n.cfg", 0, "%x"));
    EXPECT_EQ(readWholeFile(root + "syslinux.cfg"),
              "\nLABEL d%s1\n"
              "MENU LABEL 100% \xe3\x83\x87\xe3\x82\xa3\xe3\x82\xb9\xe3\x82\xaf %d\n"
              "KERNEL vesamenu.c32\n"
              "APPEND d%s1/iso%n.cfg mainmenu.cfg\n"
              "\nTIMEOUT %x\n"
              "ONTIMEOUT d%s1\n");
}

TEST_F(BootSetupTest, NoMenuIsWrittenWhenSyslinuxCfgIsMissingOrHeldByAnotherWriter) {
    EXPECT_FALSE(manager.AddSyslinuxMenuEntry("disc1", "Disc One", "isolinux.cfg", 0, "50"));
    EXPECT_FALSE(exists(root + "syslinux.cfg"));

    writeFile(root + "syslinux.cfg", "menu");
    HANDLE writer = CreateFileA((root + "syslinux.cfg").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(manager.AddSyslinuxMenuEntry("disc1", "Disc One", "isolinux.cfg", 0, "50"));
    CloseHandle(writer);
    EXPECT_EQ(readWholeFile(root + "syslinux.cfg"), "menu");
}

TEST_F(BootSetupTest, AMultibootKeyCarriesTheMarkerFile) {
    EXPECT_FALSE(manager.HasMultibootConfig());
    CreateDirectoryA((root + "kxmboot.cfg").c_str(), nullptr);
    EXPECT_FALSE(manager.HasMultibootConfig()) << "a folder of that name";
    RemoveDirectoryA((root + "kxmboot.cfg").c_str());
    writeFile(root + "kxmboot.cfg", "");
    EXPECT_TRUE(manager.HasMultibootConfig());
}

TEST_F(BootSetupTest, KeyDirectoryExistsOnlyForFolders) {
    CreateDirectoryA((root + "disc1").c_str(), nullptr);
    writeFile(root + "disc2", "");
    EXPECT_TRUE(manager.KeyDirectoryExists("disc1"));
    EXPECT_FALSE(manager.KeyDirectoryExists("disc2")) << "a file";
    EXPECT_FALSE(manager.KeyDirectoryExists("disc3"));
    EXPECT_FALSE(manager.KeyDirectoryExists(nullptr));
    EXPECT_TRUE(manager.KeyDirectoryExists("")) << "the key's root";
}

} // namespace
