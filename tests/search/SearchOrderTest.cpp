// Code runs only from where it is meant to. Libraries and programs planted under the names of those
// the program loads and starts (beside this executable by the build, in the current folder by the
// tests) write a line to a marker file when they run; none may, while the real ones still do.
#include "framework/CString.h"
#include "framework/Startup.h"
#include "keybuilder/DeviceManager.h"
#include "keybuilder/MediaDefinition.h"
#include "keybuilder/PathFunctions.h"
#include "platform/SystemCalls.h"
#include "resources/StringIds.h"
#include "search/Folders.h"
#include "search/Planted.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/ProgramFolder.h"
#include "support/win32/WineUsbDisks.h"
#include "wizard/FormatPage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string currentFolder() {
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

std::string folderOf(const std::string &path) { return path.substr(0, path.rfind('\\')); }

bool sameFolder(const std::string &a, const std::string &b) { return ::lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string moduleFile(HMODULE module) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

// Every test starts with the plants beside this executable (the build puts them there), a marker
// file of its own, and a current folder it may fill with more plants; the current folder is the
// executable's again afterwards.
class Planted : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char *name : {"fmifs.dll", "riched20.dll", "CMD.EXE", "NOTEPAD.EXE", "taskkill.exe"})
            ASSERT_TRUE(FileExists((programFolder() + "\\" + name).c_str())) << name << " is not planted";
        m_previousFolder = currentFolder();
        ::SetEnvironmentVariableA(kPlantedMarkerVariable, marker().c_str());
    }

    void TearDown() override {
        ::SetCurrentDirectoryA(m_previousFolder.c_str());
        ::SetEnvironmentVariableA(kPlantedMarkerVariable, nullptr);
    }

    std::string marker() const { return m_scratch / "marker.txt"; }
    // What the planted code wrote: empty when none of it ran.
    std::string plantedRuns() const {
        return m_scratch.exists("marker.txt") ? m_scratch.read("marker.txt") : "";
    }

    // Makes a fresh folder, holding planted programs of these names, the current folder.
    void plantInCurrentFolder(const std::vector<const char *> &names) {
        std::string planted = programFolder() + "\\CMD.EXE";
        for (const char *name : names)
            ASSERT_TRUE(::CopyFileA(planted.c_str(), (m_current / name).c_str(), FALSE)) << name;
        ASSERT_TRUE(::SetCurrentDirectoryA(m_current.path().c_str()));
    }

    ScratchFolder m_scratch;
    ScratchFolder m_current;

  private:
    std::string m_previousFolder;
};

// ---- Libraries

TEST_F(Planted, TheFormatLibraryComesFromTheSystemFolder) {
    {
        CDeviceManager manager;
        EXPECT_EQ(plantedRuns(), "");
        ASSERT_NE(manager.formatEx, nullptr) << "the format function was not bound";
        HMODULE module = nullptr;
        ASSERT_TRUE(::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                         reinterpret_cast<LPCSTR>(manager.formatEx), &module));
        EXPECT_TRUE(sameFolder(folderOf(moduleFile(module)), systemFolder())) << moduleFile(module);
    }
    EXPECT_EQ(::GetModuleHandleA("fmifs.dll"), nullptr) << "released with the manager";
}

TEST_F(Planted, TheRichEditLibraryComesFromTheSystemFolder) {
    // Without the override Wine would take its built-in library wherever the program looked.
    char overrides[256] = {};
    ::GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    ASSERT_NE(std::string(overrides).find("riched20=n"), std::string::npos)
        << "WINEDLLOVERRIDES: " << overrides;
    EXPECT_NE(std::string(overrides).find("mscoree,mshtml="), std::string::npos) << "wine-run's own are kept";

    EXPECT_TRUE(AfxInitRichEdit2());
    WNDCLASSA info;
    EXPECT_TRUE(::GetClassInfoA(nullptr, "RichEdit20A", &info)) << "the real library registers its class";
    HMODULE module = ::GetModuleHandleA("riched20.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(sameFolder(folderOf(moduleFile(module)), systemFolder())) << moduleFile(module);
    EXPECT_EQ(plantedRuns(), "");
}

TEST_F(Planted, StartUpTakesTheProgramFolderOutOfTheSearchForBareNames) {
    EXPECT_TRUE(RestrictDllSearchToSystem());
    HMODULE module = ::LoadLibraryA("fmifs.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(sameFolder(folderOf(moduleFile(module)), systemFolder())) << moduleFile(module);
    ::FreeLibrary(module);
    EXPECT_EQ(plantedRuns(), "");
}

// A visible dialog window of the process: the product's sheet, made after both libraries were loaded.
bool showsADialog(DWORD processId) {
    struct Search {
        DWORD processId;
        bool found;
    } search{processId, false};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *search = reinterpret_cast<Search *>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            char windowClass[16] = {};
            ::GetClassNameA(window, windowClass, sizeof windowClass);
            search->found = owner == search->processId && ::IsWindowVisible(window) &&
                            std::string(windowClass) == "#32770";
            return search->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Planted, TheProductStartsWithoutLoadingTheLibrariesBesideIt) {
    std::string product = programFolder() + "\\orvella.exe";
    std::string commandLine = "\"" + product + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION running{};
    ASSERT_TRUE(::CreateProcessA(product.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &running));
    bool shown = false;
    for (int i = 0; i < 1000 && !shown && ::WaitForSingleObject(running.hProcess, 10) == WAIT_TIMEOUT; ++i)
        shown = showsADialog(running.dwProcessId);
    ::TerminateProcess(running.hProcess, 0);
    ::WaitForSingleObject(running.hProcess, 10000);
    ::CloseHandle(running.hProcess);
    ::CloseHandle(running.hThread);

    EXPECT_TRUE(shown) << "the wizard did not come up";
    EXPECT_EQ(plantedRuns(), "");
}

FARPROC WINAPI withoutDefaultDirectories(HMODULE module, LPCSTR name) {
    if (std::string(name) == "SetDefaultDllDirectories")
        return nullptr;
    return ::GetProcAddress(module, name);
}

TEST(StartUp, GoesOnWhereThePlatformLacksTheSearchRestriction) {
    ScopedSystemCall<decltype(sys.GetProcAddress)> lookup(sys.GetProcAddress, withoutDefaultDirectories);
    EXPECT_FALSE(RestrictDllSearchToSystem());
    // The system's libraries still load.
    EXPECT_TRUE(AfxInitRichEdit2());
}

// ---- Programs

// The free space of every letter: the key holds what the disc holds, so the copy counts as complete.
BOOL WINAPI sameUsedSpace(LPCSTR, PULARGE_INTEGER free, PULARGE_INTEGER total, PULARGE_INTEGER totalFree) {
    free->QuadPart = 1 << 20;
    total->QuadPart = 8 << 20;
    totalFree->QuadPart = 1 << 20;
    return TRUE;
}

int exits = 0;
void recordExit(UINT) { ++exits; }

// The script names its commands bare, so the interpreter looks for them in its current folder
// before the system folder: neither an interpreter nor an xcopy planted in the program's current
// folder runs, while the system's xcopy puts the disc's file on the key.
TEST_F(Planted, TheCreationScriptRunsInTheSystemsInterpreterWithTheSystemsCommands) {
    plantInCurrentFolder({"CMD.EXE", "xcopy.exe"});
    WineUsbDisks disks;
    std::string disc = disks.folderLetter('Q');
    std::string key = disks.folderLetter('P');
    ASSERT_FALSE(disc.empty());
    ASSERT_FALSE(key.empty());
    ASSERT_TRUE(::CreateDirectoryA((disc + "usb").c_str(), nullptr));
    std::ofstream(disc + "usb\\create.cmd", std::ios::binary)
        << "@echo off\r\necho %1 %2>\"%~dp0ran.txt\"\r\nxcopy /y %1\\disc.txt %2\\\r\n";
    std::ofstream(disc + "disc.txt", std::ios::binary) << "on the disc\r\n";
    CMediaDefinition media;
    media.SetSourceDrive('Q');
    media.creationScript = (disc + "usb\\create.cmd").c_str();
    ScopedSystemCall<decltype(sys.GetDiskFreeSpaceExA)> space(sys.GetDiskFreeSpaceExA, sameUsedSpace);
    ScopedSystemCall<decltype(sys.ExitProcess)> staying(sys.ExitProcess, recordExit);
    MessageBoxRecorder boxes;
    exits = 0;

    EXPECT_TRUE(media.TransferToKey('P', true));

    EXPECT_EQ(plantedRuns(), "");
    EXPECT_EQ(readWholeFile(disc + "usb\\ran.txt"), "Q: P:\r\n") << "the script did not run";
    EXPECT_EQ(readWholeFile(key + "disc.txt"), "on the disc\r\n") << "the system's xcopy did not copy";
    CString succeeded;
    succeeded.LoadString(IDS_COPY_SUCCEEDED);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, static_cast<const char *>(succeeded));
    EXPECT_EQ(exits, 0);
}

// The viewer the program started, kept open so the test can see which program it is, and the
// folder it was started in.
HANDLE startedViewer = nullptr;
std::string viewerFolder;
BOOL WINAPI keepViewer(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                       LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                       LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information) {
    viewerFolder = folder ? folder : "(none)";
    BOOL started = ::CreateProcessA(application, commandLine, process, thread, inherit, flags, environment,
                                    folder, startup, information);
    if (started)
        ::DuplicateHandle(::GetCurrentProcess(), information->hProcess, ::GetCurrentProcess(), &startedViewer,
                          0, FALSE, DUPLICATE_SAME_ACCESS);
    return started;
}

TEST_F(Planted, TheReadmeOpensInTheSystemsViewer) {
    plantInCurrentFolder({"NOTEPAD.EXE"});
    m_scratch.write("readme.txt", "Read me first.\r\n");
    CMediaDefinition media;
    media.SetSourceDrive('X');
    media.readmeFile = (m_scratch / "readme.txt").c_str();
    startedViewer = nullptr;
    {
        ScopedSystemCall<decltype(sys.CreateProcessA)> keep(sys.CreateProcessA, keepViewer);
        EXPECT_TRUE(media.ShowReadme());
    }
    ASSERT_NE(startedViewer, nullptr);
    char image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    ASSERT_TRUE(::QueryFullProcessImageNameA(startedViewer, 0, image, &size));
    bool systems = sameFolder(folderOf(image), systemFolder());
    EXPECT_TRUE(systems) << image;
    EXPECT_TRUE(sameFolder(viewerFolder, systemFolder()))
        << viewerFolder << " is the viewer's current folder";
    // The system's viewer stays open until it is ended; a planted one has written its line by its end.
    if (systems || ::WaitForSingleObject(startedViewer, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(startedViewer, 0);
    ::WaitForSingleObject(startedViewer, 10000);
    ::CloseHandle(startedViewer);
    EXPECT_EQ(plantedRuns(), "");
}

// The program seems to lie in a folder with the real installer, to be run on key P:, a fresh folder.
// This executable's own folder has none, so a search for the bare name could only find a planted one.
struct InstallerBesideTheProgram {
    ScratchFolder program;
    ProgramInFolder beside{program.path()};
    WineUsbDisks disks;
    std::string key = disks.folderLetter('P');
    CDeviceManager manager;

    InstallerBesideTheProgram() {
        EXPECT_FALSE(key.empty());
        EXPECT_TRUE(::CopyFileA((programFolder() + "\\syslinux-stand-in.exe").c_str(),
                                (program / "syslinux.exe").c_str(), FALSE));
        manager.letter = 'P';
    }
};

TEST_F(Planted, TheInstallerBesideTheProgramRunsAndNoneFromTheCurrentFolder) {
    plantInCurrentFolder({"syslinux.exe"});
    InstallerBesideTheProgram installer;

    EXPECT_TRUE(installer.manager.RunSyslinux());

    EXPECT_EQ(plantedRuns(), "");
    EXPECT_TRUE(FileExists((installer.key + "ldlinux.sys").c_str()))
        << "the installer beside the program did not run";
}

TEST_F(Planted, AnInstallerMissingBesideTheProgramIsNeverTakenFromTheCurrentFolder) {
    plantInCurrentFolder({"syslinux.exe"});
    ScratchFolder program;
    ProgramInFolder beside(program.path());
    MessageBoxRecorder boxes;
    CDeviceManager manager;
    manager.letter = 'P';

    EXPECT_FALSE(manager.RunSyslinux());

    EXPECT_EQ(plantedRuns(), "");
    ASSERT_EQ(boxes.boxes().size(), 1u) << "the start failure";
    EXPECT_EQ(boxes.boxes()[0].caption, "Error");
}

UINT WINAPI noSystemFolder(LPSTR, UINT) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

int starts = 0;
BOOL WINAPI countStarts(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                        LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                        LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information) {
    ++starts;
    return ::CreateProcessA(application, commandLine, process, thread, inherit, flags, environment, folder,
                            startup, information);
}

// With no system folder to start in, a child would inherit the program's current folder: none starts,
// and each is reported as a program that cannot be started.
TEST_F(Planted, WhereTheSystemFolderCannotBeNamedNoChildStarts) {
    plantInCurrentFolder({"CMD.EXE", "NOTEPAD.EXE", "syslinux.exe"});
    InstallerBesideTheProgram installer;
    ScratchFolder disc;
    disc.write("usb\\create.cmd", "@echo off\r\necho ran>\"%~dp0ran.txt\"\r\n");
    disc.write("readme.txt", "Read me first.\r\n");
    CMediaDefinition media;
    media.SetSourceDrive('X');
    media.creationScript = (disc / "usb\\create.cmd").c_str();
    media.readmeFile = (disc / "readme.txt").c_str();
    ScopedSystemCall<decltype(sys.GetDiskFreeSpaceExA)> space(sys.GetDiskFreeSpaceExA, sameUsedSpace);
    ScopedSystemCall<decltype(sys.ExitProcess)> staying(sys.ExitProcess, recordExit);
    ScopedSystemCall<decltype(sys.GetSystemDirectoryA)> unnamed(sys.GetSystemDirectoryA, noSystemFolder);
    ScopedSystemCall<decltype(sys.CreateProcessA)> counted(sys.CreateProcessA, countStarts);

    struct Child {
        const char *what;
        std::function<bool()> run;
    } children[] = {
        {"the creation script", [&] { return media.TransferToKey('P', true); }},
        {"the installer", [&] { return installer.manager.RunSyslinux(); }},
        {"the readme viewer", [&] { return media.ShowReadme(); }},
    };
    for (const Child &child : children) {
        SCOPED_TRACE(child.what);
        MessageBoxRecorder boxes;
        starts = 0;
        EXPECT_FALSE(child.run());
        EXPECT_EQ(starts, 0) << "a child was started";
        std::vector<std::string> shown;
        for (const auto &box : boxes.boxes()) {
            shown.push_back(box.caption + ": " + box.text);
            EXPECT_EQ(box.type, UINT(MB_ICONINFORMATION));
        }
        EXPECT_EQ(shown, std::vector<std::string>{"Error: " + SystemErrorText(ERROR_PATH_NOT_FOUND)});
    }
    EXPECT_EQ(plantedRuns(), "");
    EXPECT_FALSE(disc.exists("usb\\ran.txt"));
    EXPECT_FALSE(FileExists((installer.key + "ldlinux.sys").c_str()));
}

TEST_F(Planted, TheScriptsProcessTreeIsEndedByTheSystemsTaskkill) {
    plantInCurrentFolder({"taskkill.exe", "CMD.EXE"});

    EndScriptProcessTree(0);

    EXPECT_EQ(plantedRuns(), "");
    EXPECT_TRUE(sameFolder(currentFolder(), systemFolder())) << currentFolder();
}

} // namespace
