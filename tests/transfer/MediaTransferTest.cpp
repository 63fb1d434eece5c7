// The transfer of an image or a CD/DVD onto the fixture's removable letter, with images made by xorriso.
#include "keybuilder/MediaDefinition.h"

#include "resources/StringIds.h"
#include "support/ScratchFolder.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/ProgramFolder.h"
#include "support/win32/WineDrives.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winternl.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kKey = kWineRemovableLetter;
const char kDisc = kWineCdromLetter;
const char kKeyLetter[] = {kKey, '\0'};
const char kDiscLetter[] = {kDisc, '\0'};

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string &path, const std::string &contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// Calls visit(path, entry) for every entry of a folder but "." and "..".
template <typename Visit> void forEachEntry(const std::string &folder, Visit visit) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            visit(folder + "\\" + name, found);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool isFolder(const WIN32_FIND_DATAA &entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every file below a folder, as relative paths with forward slashes.
void listFiles(const std::string &folder, const std::string &prefix, std::set<std::string> &out) {
    forEachEntry(folder, [&](const std::string &path, const WIN32_FIND_DATAA &entry) {
        if (isFolder(entry))
            listFiles(path, prefix + entry.cFileName + "/", out);
        else
            out.insert(prefix + entry.cFileName);
    });
}

std::string keyRoot() { return std::string(1, kKey) + ":"; }
std::string keyPath(const std::string &relative) { return keyRoot() + "\\" + relative; }

std::set<std::string> keyFiles() {
    std::set<std::string> files;
    listFiles(keyRoot(), "", files);
    return files;
}

std::set<std::string> underFolder(const std::string &folder, std::set<std::string> files) {
    if (folder.empty())
        return files;
    std::set<std::string> moved;
    for (const std::string &file : files)
        moved.insert(folder + "/" + file);
    return moved;
}

// What every test image holds before its steps run.
const std::set<std::string> kImageFiles = {"usb/usbcreator.xml", "a.txt",      "keep.txt",
                                           "second.txt",         "boot/x.cfg", "isolinux/isolinux.cfg",
                                           "docs/deep/file.txt", "filler.bin"};

void removeEntries(const std::string &folder) {
    forEachEntry(folder, [](const std::string &path, const WIN32_FIND_DATAA &entry) {
        if (isFolder(entry)) {
            removeEntries(path);
            RemoveDirectoryA(path.c_str());
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    });
}

// The key starts and ends empty, so no test sees another's files.
void emptyKey() { removeEntries(keyRoot()); }

UINT exitCode = 0;
int exitCalls = 0;
void recordExit(UINT code) {
    exitCode = code;
    ++exitCalls;
}

// ExitProcess returns to the test, which then sees what the program did up to it.
class ExitRecorder {
  public:
    ExitRecorder() : m_replacement(sys.ExitProcess, recordExit) {
        exitCode = 0;
        exitCalls = 0;
    }

  private:
    ScopedSystemCall<decltype(SystemCalls::ExitProcess)> m_replacement;
};

std::string stringResource(UINT id) {
    char text[512] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

class ImageTransfer : public ::testing::Test {
  protected:
    void SetUp() override { emptyKey(); }
    void TearDown() override { emptyKey(); }

    // The record as the select-media page leaves it for an image source.
    void chooseImage(const std::string &name, const char *multibootDirectory = "") {
        Common::IsoImage image(Common::string(("transfer-images/" + name + ".iso").c_str()));
        ASSERT_TRUE(image.isOpen()) << name;
        media.image = image;
        media.sourceIsImage = 1;
        media.sourceLetter = 0;
        media.definitionPath = kMediaDefinitionPath;
        media.multibootDirectory = multibootDirectory;
    }

    void writeOverride(const std::string &productId, const std::string &contents) {
        beside.write("override/" + productId + ".xml", contents);
    }

    ScratchFolder beside;
    // The executable seems to lie in a scratch folder, so the override folder beside it is the test's.
    ProgramInFolder program{beside.path()};
    CMediaDefinition media;
    MessageBoxRecorder boxes;
    ExitRecorder exits;
};

TEST_F(ImageTransfer, RunsTheFirstCommandsElementsStepsInOrderAndShowsNothing) {
    chooseImage("steps");
    EXPECT_TRUE(media.TransferToKey(kKey, true));

    // copy a->b, move b->c, delete a: in any other order c.txt would be missing or a.txt left. The
    // misnamed and incomplete steps, the execute step, the moves whose copy fails and the second
    // filesystem_commands element leave everything else as extracted.
    std::set<std::string> expected = kImageFiles;
    expected.erase("a.txt");
    expected.insert({"c.txt", "isolinux/x.cfg"});
    EXPECT_EQ(expected, keyFiles());
    EXPECT_EQ("alpha\n", readFile(keyPath("c.txt")));
    EXPECT_EQ("keep\n", readFile(keyPath("keep.txt")));
    EXPECT_EQ("deep\n", readFile(keyPath("docs\\deep\\file.txt")));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(0, exitCalls);
}

struct BaseCase {
    const char *name;
    const char *multibootDirectory;
    bool allowMultiboot;
    const char *expectedFolder;
};

class ImageTransferBase : public ImageTransfer, public ::testing::WithParamInterface<BaseCase> {};

TEST_P(ImageTransferBase, ExtractsIntoTheBaseAndRunsTheStepsThere) {
    chooseImage("multiboot", GetParam().multibootDirectory);
    EXPECT_TRUE(media.TransferToKey(kKey, GetParam().allowMultiboot));

    std::set<std::string> expected = kImageFiles;
    expected.erase("boot/x.cfg");
    expected.insert("disc.cfg");
    EXPECT_EQ(underFolder(GetParam().expectedFolder, expected), keyFiles());
    std::string folder = GetParam().expectedFolder;
    EXPECT_FALSE(isFolder(keyPath(folder.empty() ? "boot" : folder + "\\boot")));
    EXPECT_EQ("default linux\n", readFile(keyPath(folder.empty() ? "disc.cfg" : folder + "\\disc.cfg")));
}

INSTANTIATE_TEST_SUITE_P(Bases, ImageTransferBase,
                         ::testing::Values(BaseCase{"MultibootFolder", "disc1", true, "disc1"},
                                           BaseCase{"FolderNotAllowed", "disc1", false, ""},
                                           BaseCase{"NoFolder", "", true, ""}),
                         [](const ::testing::TestParamInfo<BaseCase> &info) {
                             return std::string(info.param.name);
                         });

struct OverrideCase {
    const char *name;
    const char *overrideText; // null: no override file
    bool aLeft;
    bool keepLeft;
};

class ImageTransferOverride : public ImageTransfer, public ::testing::WithParamInterface<OverrideCase> {};

TEST_P(ImageTransferOverride, TakesTheStepsFromTheOverrideFileAlone) {
    chooseImage("override");
    if (GetParam().overrideText)
        writeOverride("orvella-transfer-override", GetParam().overrideText);
    EXPECT_TRUE(media.TransferToKey(kKey, true));

    EXPECT_EQ(GetParam().aLeft, readFile(keyPath("a.txt")) == "alpha\n");
    EXPECT_EQ(GetParam().keepLeft, readFile(keyPath("keep.txt")) == "keep\n");
    EXPECT_EQ("second\n", readFile(keyPath("second.txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Overrides, ImageTransferOverride,
    ::testing::Values(
        OverrideCase{"None", nullptr, false, true},
        OverrideCase{"OwnSteps",
                     "<cd_definition><filesystem_commands><delete target=\"keep.txt\"/></filesystem_commands>"
                     "</cd_definition>",
                     true, false},
        OverrideCase{"NoCommands",
                     "<cd_definition><product_id>orvella-transfer-override</product_id>"
                     "</cd_definition>",
                     true, true},
        OverrideCase{"Empty", "", true, true}),
    [](const ::testing::TestParamInfo<OverrideCase> &info) { return std::string(info.param.name); });

TEST_F(ImageTransfer, StepsThatClimbOutOfTheMultibootFolderAreSkipped) {
    writeFile(keyPath("other.txt"), "other disc\n");
    CreateDirectoryA(keyPath("victim").c_str(), nullptr);
    writeFile(keyPath("victim\\v.txt"), "victim\n");
    chooseImage("traversal", "disc1");
    EXPECT_TRUE(media.TransferToKey(kKey, true));

    // Only the plain name a..b.txt and the \boot delete ran; every step with a ".." component
    // was skipped, so nothing outside disc1 changed and nothing inside it was lost.
    std::set<std::string> inBase = kImageFiles;
    inBase.erase("boot/x.cfg");
    inBase.insert("a..b.txt");
    std::set<std::string> expected = underFolder("disc1", inBase);
    expected.insert({"other.txt", "victim/v.txt"});
    EXPECT_EQ(expected, keyFiles());
    EXPECT_EQ("victim\n", readFile(keyPath("victim\\v.txt")));
    EXPECT_EQ("other disc\n", readFile(keyPath("other.txt")));
}

TEST_F(ImageTransfer, AnExtractionThatFailsEndsTheProgramWithMessage177) {
    // A file where the disc's folder must go: the extraction cannot make its base.
    writeFile(keyPath("disc1"), "in the way\n");
    chooseImage("steps", "disc1");
    media.TransferToKey(kKey, true);

    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(stringResource(IDS_COPY_INTERRUPTED), boxes.boxes()[0].text);
    EXPECT_EQ(UINT(MB_ICONHAND), boxes.boxes()[0].type & MB_ICONMASK);
    EXPECT_EQ(1, exitCalls);
    EXPECT_EQ(UINT(-1), exitCode);
    EXPECT_EQ((std::set<std::string>{"disc1"}), keyFiles());
    EXPECT_EQ("in the way\n", readFile(keyPath("disc1")));
}

TEST_F(ImageTransfer, ScriptTreeIsTheDefinitionOrABareRoot) {
    chooseImage("steps");
    Common::SharedPtr<Common::XmlElement> tree = media.LoadScriptTree(Common::string());
    EXPECT_EQ(Common::string("cd_definition"), tree->getName());
    EXPECT_TRUE(tree->hasChild("filesystem_commands"));
    EXPECT_EQ(Common::string("orvella-transfer-steps"), tree->getChild("product_id")->getText());

    Common::SharedPtr<Common::XmlElement> missing = media.LoadScriptTree("\\usb\\missing.xml");
    EXPECT_TRUE(missing->childrenBegin() == missing->childrenEnd());
}

TEST_F(ImageTransfer, ScriptTreeIsReplacedWholeByTheOverride) {
    chooseImage("override");
    writeOverride("orvella-transfer-override",
                  "<cd_definition><volume_label>X</volume_label></cd_definition>");
    Common::SharedPtr<Common::XmlElement> tree = media.LoadScriptTree("/usb/usbcreator.xml");
    EXPECT_TRUE(tree->hasChild("volume_label"));
    EXPECT_FALSE(tree->hasChild("product_id"));
    EXPECT_FALSE(tree->hasChild("filesystem_commands"));
}

TEST_F(ImageTransfer, ScriptTreeTakesNoOverrideFromOutsideTheOverrideFolder) {
    chooseImage("traversal");
    beside.write("orvella-transfer-escape.xml",
                 "<cd_definition><volume_label>X</volume_label></cd_definition>");
    Common::SharedPtr<Common::XmlElement> tree = media.LoadScriptTree(Common::string());
    EXPECT_TRUE(tree->hasChild("filesystem_commands"));
    EXPECT_FALSE(tree->hasChild("volume_label"));
}

// Drives as the program sees their space: used bytes are what the drive's folder holds, so the
// script's copying shows; a letter in failingDrives reports no space at all.
std::string failingDrives;
ULONGLONG usedBytes(const std::string &folder) {
    ULONGLONG total = 0;
    forEachEntry(folder, [&](const std::string &path, const WIN32_FIND_DATAA &entry) {
        total +=
            isFolder(entry) ? usedBytes(path) : (ULONGLONG(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    });
    return total;
}

BOOL WINAPI presentSpace(LPCSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                         PULARGE_INTEGER free) {
    if (!root || failingDrives.find(char(toupper(root[0]))) != std::string::npos) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    const ULONGLONG size = 1ull << 30;
    ULONGLONG used = usedBytes(std::string(1, root[0]) + ":");
    if (available)
        available->QuadPart = size - used;
    if (total)
        total->QuadPart = size;
    if (free)
        free->QuadPart = size - used;
    return TRUE;
}

const std::string kDiscData(64 * 1024, 'd');
const std::string kBootFiles(4096, 'b');

class DriveTransfer : public ::testing::Test {
  protected:
    DriveTransfer() : disc(kDisc), space(sys.GetDiskFreeSpaceExA, presentSpace) {}
    void SetUp() override {
        emptyKey();
        failingDrives.clear();
        disc.write("disc\\data.bin", kDiscData);
        // The boot files the first task puts on the key count as used space too.
        writeFile(keyPath("ldlinux.sys"), kBootFiles);
        media.sourceIsImage = 0;
        media.sourceLetter = kDisc;
    }
    void TearDown() override { emptyKey(); }

    // The creation script, written to the scratch folder; it notes how it was called there.
    void useScript(const std::string &body, const char *multibootDirectory = "") {
        scratch.write("create.cmd", "@echo off\r\n"
                                    "echo %1^|%2^|%3>\"%~dp0args.txt\"\r\n" +
                                        body);
        media.creationScript = (scratch / "create.cmd").c_str();
        media.multibootDirectory = multibootDirectory;
    }

    const std::vector<MessageBoxRecorder::Box> &shown() const { return boxes.boxes(); }

    ScratchFolder scratch;
    DriveFiles disc;
    ScopedSystemCall<decltype(SystemCalls::GetDiskFreeSpaceExA)> space;
    CMediaDefinition media;
    MessageBoxRecorder boxes;
    ExitRecorder exits;
};

const char *kCopyDisc = "if \"%3\"==\"\" (copy %1\\disc\\data.bin %2\\data.bin >nul) else "
                        "(mkdir %2\\%3 & copy %1\\disc\\data.bin %2\\%3\\data.bin >nul)\r\n";

// The command line of a running process, read from its process parameters: the interpreter
// strips the outer quotes before a script could see them.
std::string commandLineOf(DWORD processId) {
    using QueryFn = LONG(WINAPI *)(HANDLE, PROCESSINFOCLASS, void *, ULONG, ULONG *);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb = {};
    RTL_USER_PROCESS_PARAMETERS parameters = {};
    std::wstring text;
    if (process && query && query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) &&
        ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        text.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, &text[0],
                               parameters.CommandLine.Length, nullptr))
            text.clear();
        // A child still being set up can show the parameters' length before their text.
        if (text.find(L'\0') != std::wstring::npos)
            text.clear();
    }
    if (process)
        CloseHandle(process);
    return std::string(text.begin(), text.end());
}

// A window of the transfer's thread: the wait loop delivers its message while the script runs,
// which then reads the script's command line and job and lets the script go on.
struct CommandLineProbe {
    const CMediaDefinition *media = nullptr;
    std::string flagPath;
    std::string commandLine;
    bool inJob = false;

    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto *self = reinterpret_cast<CommandLineProbe *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_APP) {
            // Under Wine the child fills in its own process parameters as it starts, so a read
            // right after the start can find them empty; the script waits for the flag meanwhile.
            for (int tries = 0; tries < 500 && self->commandLine.empty(); ++tries) {
                self->commandLine = commandLineOf(self->media->scriptProcessId);
                if (self->commandLine.empty())
                    Sleep(10);
            }
            HANDLE job = OpenJobObjectA(JOB_OBJECT_QUERY, FALSE, kCreateScriptJob);
            HANDLE script = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, self->media->scriptProcessId);
            BOOL in = FALSE;
            self->inJob = job && script && IsProcessInJob(script, job, &in) && in;
            if (job)
                CloseHandle(job);
            if (script)
                CloseHandle(script);
            writeFile(self->flagPath, "go");
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND makeWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MediaTransferTestProbe";
        RegisterClassA(&wc);
        HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      wc.hInstance, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return window;
    }
};

// Waits, for a bounded time, until the probe has read the command line.
const char *kWaitForProbe = "set n=0\r\n"
                            ":wait\r\n"
                            "if exist \"%~dp0flag\" goto go\r\n"
                            "set /a n+=1\r\n"
                            "if %n% gtr 20000 exit /b 1\r\n"
                            "goto wait\r\n"
                            ":go\r\n";

// How the interpreter was started, noted on the way to the real start.
DWORD startFlags = ~0u;
STARTUPINFOA startInfo = {};
BOOL WINAPI noteStart(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                      LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment,
                      LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process) {
    startFlags = flags;
    startInfo = *startup;
    return CreateProcessA(application, commandLine, processAttributes, threadAttributes, inherit, flags,
                          environment, folder, startup, process);
}

struct CommandCase {
    const char *name;
    const char *multibootDirectory;
    bool allowMultiboot;
    bool folderPassed;
};

class DriveTransferCommand : public DriveTransfer, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(DriveTransferCommand, HandsTheScriptItsArgumentsInOnePairOfQuotes) {
    useScript(std::string(kWaitForProbe) + kCopyDisc, GetParam().multibootDirectory);
    CommandLineProbe probe;
    probe.media = &media;
    probe.flagPath = scratch / "flag";
    HWND window = probe.makeWindow();
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_APP, 0, 0);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ScopedSystemCall<decltype(SystemCalls::CreateProcessA)> noted(sys.CreateProcessA, noteStart);
    EXPECT_TRUE(media.TransferToKey(kKey, GetParam().allowMultiboot));
    DestroyWindow(window);

    std::string disc = std::string(1, kDisc) + ":", key = std::string(1, kKey) + ":";
    std::string folder = GetParam().folderPassed ? "disc1" : "";
    std::string arguments = disc + " " + key + (folder.empty() ? "" : " " + folder);
    EXPECT_EQ("CMD.EXE /C \"" + (scratch / "create.cmd") + " " + arguments + "\"", probe.commandLine);
    EXPECT_EQ(disc + "|" + key + "|" + folder + "\r\n", scratch.read("args.txt"));
    EXPECT_TRUE(probe.inJob) << "the script is not in the job " << kCreateScriptJob;
    // The interpreter gets a console window of its own, shown minimised.
    EXPECT_EQ(0u, startFlags);
    EXPECT_EQ(DWORD(STARTF_USESHOWWINDOW), startInfo.dwFlags);
    EXPECT_EQ(SW_MINIMIZE, startInfo.wShowWindow);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
    // The probe found the script by this id; it stays once the script has ended.
    EXPECT_NE(0u, media.scriptProcessId);

    ASSERT_EQ(1u, shown().size());
    EXPECT_EQ(stringResource(IDS_COPY_SUCCEEDED), shown()[0].text);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), shown()[0].type & MB_ICONMASK);
    EXPECT_EQ(0, exitCalls);
}

INSTANTIATE_TEST_SUITE_P(Commands, DriveTransferCommand,
                         ::testing::Values(CommandCase{"MultibootFolder", "disc1", true, true},
                                           CommandCase{"FolderNotAllowed", "disc1", false, false},
                                           CommandCase{"NoFolder", "", true, false}),
                         [](const ::testing::TestParamInfo<CommandCase> &info) {
                             return std::string(info.param.name);
                         });

struct SpaceCase {
    const char *name;
    const char *scriptBody;
    const char *failing;
    bool enough;
};

class DriveTransferSpace : public DriveTransfer, public ::testing::WithParamInterface<SpaceCase> {};

TEST_P(DriveTransferSpace, OnlyTheUsedSpaceDecides) {
    useScript(GetParam().scriptBody);
    failingDrives = GetParam().failing;
    EXPECT_TRUE(media.TransferToKey(kKey, true));

    ASSERT_EQ(1u, shown().size());
    if (GetParam().enough) {
        EXPECT_EQ(stringResource(IDS_COPY_SUCCEEDED), shown()[0].text);
        EXPECT_EQ(0, exitCalls);
    } else {
        EXPECT_EQ(stringResource(IDS_COPY_INTERRUPTED), shown()[0].text);
        EXPECT_EQ(UINT(MB_ICONHAND), shown()[0].type & MB_ICONMASK);
        EXPECT_EQ(1, exitCalls);
        EXPECT_EQ(UINT(-1), exitCode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DriveTransferSpace,
    ::testing::Values(SpaceCase{"CopiedButFailed",
                                "copy %1\\disc\\data.bin %2\\data.bin >nul\r\nexit /b 1\r\n", "", true},
                      SpaceCase{"SucceededWithoutCopying", "exit /b 0\r\n", "", false},
                      SpaceCase{"DiscSpaceUnknown", kCopyDisc, kDiscLetter, false},
                      SpaceCase{"KeySpaceUnknown", kCopyDisc, kKeyLetter, false}),
    [](const ::testing::TestParamInfo<SpaceCase> &info) { return std::string(info.param.name); });

BOOL WINAPI refuseStart(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                        LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

TEST_F(DriveTransfer, AnInterpreterThatCannotStartGivesTheErrorBoxAndFalseAlone) {
    useScript(kCopyDisc);
    ScopedSystemCall<decltype(SystemCalls::CreateProcessA)> refused(sys.CreateProcessA, refuseStart);
    EXPECT_FALSE(media.TransferToKey(kKey, true));

    // Neither 177 nor 178: nothing ran, so there is no copy to judge.
    ASSERT_EQ(1u, shown().size());
    EXPECT_EQ(stringResource(IDS_ERROR_CAPTION), shown()[0].caption);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), shown()[0].type & MB_ICONMASK);
    EXPECT_EQ(0, exitCalls);
    EXPECT_EQ(0u, media.scriptProcessId);
}

} // namespace
