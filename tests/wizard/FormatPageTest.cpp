// The format-and-copy page and the completion page: the build of the key in its order for both
// tasks, the cancel during the copy, the readme offer and Finish; and, in a child process, the
// ways the build ends the program.
#include "BuildLog.h"
#include "PageFixture.h"
#include "doubles/ImmediateEnd.h"

#include "keybuilder/DeviceManager.h"
#include "resources/StringIds.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>

namespace {

using ::testing::ElementsAreArray;

bool exists(const std::string &path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The menu entry of the "multi" image's disc: its folder, display name and configuration file. The
// disc names no version, so its display name ends in the blank that would precede one.
const std::string kMultiMenuEntry =
    "\nLABEL multi\nMENU LABEL Multi Disc \nKERNEL vesamenu.c32\nAPPEND multi/isolinux.cfg mainmenu.cfg\n";

const char *kDisabled = " [back 0 next 0 cancel 0]";
const char *kCancelOnly = " [back 0 next 0 cancel 1]";
const std::vector<std::string> kTransfer = {"open 170", "play -1 from 0 to -1", "stop", "close"};

// The events up to the end of the transfer.
std::vector<std::string> build(const std::vector<std::string> &events) {
    auto end = std::find(events.begin(), events.end(), "close");
    return {events.begin(), end == events.end() ? end : end + 1};
}

void failExit(UINT code) { ADD_FAILURE() << "the process would have ended with " << int(code); }
int failSystem(const char *command) {
    ADD_FAILURE() << "ran " << command;
    return 0;
}

class FormatPageTest : public PageFixture {
  protected:
    explicit FormatPageTest(int answer = IDOK) : PageFixture(true, answer) {}

    void reachFormatPage(Common::u32 task, const char *image) {
        goToSelectMedia(task);
        chooseImage(pageImage(image));
        press(PSBTN_NEXT);
        ASSERT_EQ(currentId(), 115u);
        log = std::make_unique<BuildLog>(sheet->m_hWnd, control(sheet->m_formatPage, IDC_STATUS_LINE),
                                         control(sheet->m_formatPage, IDC_COPY_ANIMATION));
    }

    // The build, then the completion page as the build leaves it.
    void buildKey() {
        formatsBefore = lastFormat->calls;
        press(PSBTN_NEXT);
        ASSERT_EQ(currentId(), 108u);
        EXPECT_EQ(history().back(), 115u);
        EXPECT_TRUE(visible(kFinishButtonId)) << "Finish in Next's place";
        EXPECT_TRUE(enabled(kFinishButtonId));
        EXPECT_FALSE(enabled(kBackButtonId));
        std::vector<std::string> events = log->events();
        // Selecting the format page from the completion page's activation must not build again.
        EXPECT_EQ(std::count(events.begin(), events.end(), "close"), 1);
        EXPECT_EQ(std::count_if(events.begin(), events.end(),
                                [](const std::string &e) { return e.rfind("start syslinux", 0) == 0; }),
                  sheet->m_nTask == kCreateBootableKey ? 1 : 0);
        EXPECT_EQ(lastFormat->calls - formatsBefore, sheet->m_nTask == kCreateBootableKey ? 1 : 0);
        EXPECT_FALSE(sheet->m_formatPage.m_bCopying);
    }

    HWND readmeBox() { return control(sheet->m_completePage, IDC_VIEW_README); }

    ScopedSystemCall<decltype(sys.ExitProcess)> exits{sys.ExitProcess, failExit};
    ScopedSystemCall<decltype(sys.system)> commands{sys.system, failSystem};
    std::unique_ptr<BuildLog> log;
    int formatsBefore = 0;
};

TEST_F(FormatPageTest, FirstTaskOfAMultibootDiscFormatsInstallsTheMenuAndCopiesIntoItsFolder) {
    reachFormatPage(kCreateBootableKey, "multi");
    HWND warning = control(sheet->m_formatPage, IDC_WARNING);
    EXPECT_TRUE(::IsWindowVisible(warning));
    EXPECT_EQ(windowText(control(sheet->m_formatPage, IDC_TITLE_LINE)),
              "The Multi Disc USB key will now be created.");
    EXPECT_EQ(windowText(control(sheet->m_formatPage, IDC_STATUS_LINE)), "");
    buildKey();

    std::vector<std::string> expected = {
        std::string("status 157") + kDisabled, std::string("status 158") + kDisabled,
        std::string("start syslinux.exe -fma P:") + kDisabled, std::string("status 117") + kCancelOnly};
    expected.insert(expected.end(), kTransfer.begin(), kTransfer.end());
    EXPECT_THAT(build(log->events()), ElementsAreArray(expected));

    EXPECT_STREQ(lastFormat->label, L"") << "a multiboot key carries no disc's label";
    EXPECT_TRUE(exists(keyRoot + "ldlinux.sys"));
    for (const char *file : kMultibootFiles)
        EXPECT_TRUE(exists(keyRoot + file)) << file;
    std::string menu = readWholeFile(keyRoot + "syslinux.cfg");
    EXPECT_EQ(menu, readWholeFile(testFolder() + "syslinux.cfg") + kMultiMenuEntry +
                        "\nTIMEOUT 50\nONTIMEOUT multi\n");
    EXPECT_TRUE(exists(keyRoot + "multi\\isolinux\\isolinux.cfg"));
    EXPECT_FALSE(exists(keyRoot + "isolinux"));

    EXPECT_EQ(windowText(control(sheet->m_completePage, IDC_RESULT_LINE)),
              "The Multi Disc USB key was created successfully.");
    EXPECT_FALSE(::IsWindowVisible(readmeBox())) << "its readme is not on the disc";
    EXPECT_FALSE(::IsWindowVisible(control(sheet->m_completePage, IDC_VIEW_LOG)));
    EXPECT_EQ(sheet->m_completePage.m_bViewReadme, 0);
    EXPECT_TRUE(takeBoxes().empty());
}

// The disc's name comes from its definition as UTF-8; the page shows it in the system's code page.
using FormatPageLocale = FormatPageTest;
TEST_F(FormatPageLocale, ShowsTheDiscsNameInTheSystemsCodePage) {
    reachFormatPage(kCreateBootableKey, "multi");
    sheet->m_mediaDefinition.name = "\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB"; // a Japanese name
    sheet->m_formatPage.OnSetActive();
    const std::string title = windowText(control(sheet->m_formatPage, IDC_TITLE_LINE));
    const char *shown = ::GetACP() == 932 ? "\x83\x54\x83\x93\x83\x76\x83\x8B" : "????";
    EXPECT_NE(title.find(shown), std::string::npos) << title;
    EXPECT_EQ(title.find("\xE3\x82"), std::string::npos) << "UTF-8 bytes shown as they are";
}

// The boot loader draws the menu's bytes in a font of its own: the entry names the disc in English,
// while the page keeps the system's language.
TEST_F(FormatPageLocale, TheMenuEntryNamesTheDiscInEnglish) {
    reachFormatPage(kCreateBootableKey, "multi");
    CMediaDefinition &media = sheet->m_mediaDefinition;
    media.name = "\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB"; // a Japanese name
    media.displayName = media.name + " ";
    buildKey();
    EXPECT_EQ(readWholeFile(keyRoot + "syslinux.cfg"), readWholeFile(testFolder() + "syslinux.cfg") +
                                                           kMultiMenuEntry +
                                                           "\nTIMEOUT 50\nONTIMEOUT multi\n");
    const std::string result = windowText(control(sheet->m_completePage, IDC_RESULT_LINE));
    EXPECT_EQ(result.find("Multi Disc"), std::string::npos) << result;
}

TEST_F(FormatPageTest, FirstTaskOfAPlainDiscUsesItsLabelAndWritesNoMenu) {
    reachFormatPage(kCreateBootableKey, "plain");
    buildKey();
    EXPECT_STREQ(lastFormat->label, L"PLAINDISC");
    EXPECT_TRUE(exists(keyRoot + "ldlinux.sys"));
    EXPECT_FALSE(exists(keyRoot + "kxmboot.cfg"));
    EXPECT_FALSE(exists(keyRoot + "syslinux.cfg"));
    EXPECT_EQ(readWholeFile(keyRoot + "copied.txt"), "Read me first.\r\n");
}

// What the program holds open on the key when the format library is called and when the
// boot-loader installer starts: neither may find a handle of the program on the key.
struct KeyHandles {
    int seen = 0;
    HANDLE physicalDrive = nullptr;
    HANDLE volume = nullptr;
    std::int32_t openHandles = -1;
};
const CDeviceManager *watchedKey = nullptr;
KeyHandles atFormat, atInstallerStart;

void recordHandles(KeyHandles &at) {
    ++at.seen;
    at.physicalDrive = watchedKey->physicalDrive;
    at.volume = watchedKey->volume;
    at.openHandles = watchedKey->openHandles;
}
void handlesAtFormat(void *) { recordHandles(atFormat); }
bool handlesAtInstallerStart(const std::string &command) {
    if (command.find("syslinux.exe") != std::string::npos)
        recordHandles(atInstallerStart);
    return false;
}

TEST_F(FormatPageTest, HoldsNoHandleOnTheKeyWhileItIsFormattedOrMadeBootable) {
    reachFormatPage(kCreateBootableKey, "plain");
    ASSERT_NE(sheet->m_deviceManager.volume, INVALID_HANDLE_VALUE)
        << "the select-media page leaves the key open";
    auto setProbe = reinterpret_cast<SetFormatProbeFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("fmifs.dll"), kSetFormatProbe)));
    ASSERT_NE(setProbe, nullptr);
    watchedKey = &sheet->m_deviceManager;
    atFormat = atInstallerStart = KeyHandles{};
    setProbe(handlesAtFormat, nullptr);
    log->onStart = handlesAtInstallerStart;
    buildKey();
    setProbe(nullptr, nullptr);

    for (const auto &[what, at] :
         {std::make_pair("format", atFormat), std::make_pair("installer", atInstallerStart)}) {
        SCOPED_TRACE(what);
        EXPECT_EQ(at.seen, 1);
        EXPECT_EQ(at.physicalDrive, INVALID_HANDLE_VALUE);
        EXPECT_EQ(at.volume, INVALID_HANDLE_VALUE);
        EXPECT_EQ(at.openHandles, 0);
    }
}

TEST_F(FormatPageTest, SecondTaskOnlyAddsTheMenuEntryAndTheDisc) {
    std::ofstream(keyRoot + "kxmboot.cfg") << "multiboot\n";
    std::ofstream(keyRoot + "syslinux.cfg", std::ios::binary) << "# menu\n";
    std::ofstream(keyRoot + "other.txt") << "another disc\n";
    reachFormatPage(kAddDiscToKey, "multi");
    EXPECT_FALSE(::IsWindowVisible(control(sheet->m_formatPage, IDC_WARNING)));
    buildKey();

    std::vector<std::string> expected = {std::string("status 117") + kCancelOnly};
    expected.insert(expected.end(), kTransfer.begin(), kTransfer.end());
    EXPECT_THAT(build(log->events()), ElementsAreArray(expected));
    EXPECT_TRUE(exists(keyRoot + "other.txt")) << "not formatted";
    EXPECT_FALSE(exists(keyRoot + "ldlinux.sys"));
    EXPECT_EQ(readWholeFile(keyRoot + "syslinux.cfg"), "# menu\n" + kMultiMenuEntry);
    EXPECT_TRUE(exists(keyRoot + "multi\\isolinux\\isolinux.cfg"));
}

// At the installer's start, after the format: a folder where the last boot file would go, so that
// its copy fails.
std::string blockedBootFile;
bool blockBootFile(const std::string &command) {
    if (command.find("syslinux.exe") != std::string::npos)
        ::CreateDirectoryA(blockedBootFile.c_str(), nullptr);
    return false;
}

// What the build's ends record, where the end returns to the test.
std::vector<int> buildExits;
void recordBuildExit(UINT code) { buildExits.push_back(static_cast<int>(code)); }

// Another writer holds the key's menu: the disc could not be reached from it, so none of it is
// copied and the build ends.
TEST_F(FormatPageTest, AMenuEntryThatCannotBeWrittenEndsTheBuildBeforeTheCopy) {
    std::ofstream(keyRoot + "kxmboot.cfg") << "multiboot\n";
    std::ofstream(keyRoot + "syslinux.cfg", std::ios::binary) << "# menu\n";
    reachFormatPage(kAddDiscToKey, "multi");
    HANDLE writer = ::CreateFileA((keyRoot + "syslinux.cfg").c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    buildExits.clear();
    {
        ScopedSystemCall<decltype(sys.ExitProcess)> end(sys.ExitProcess, recordBuildExit);
        press(PSBTN_NEXT);
    }
    ::CloseHandle(writer);

    EXPECT_EQ(buildExits, std::vector<int>{-1});
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, loadedText(IDS_MENU_ENTRY_FAILED));
    EXPECT_EQ(boxes.boxes()[0].type, UINT(MB_ICONERROR));
    EXPECT_NE(currentId(), 108u) << "no completion page";
    std::vector<std::string> events = log->events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "open 170"), 0) << "the copy never started";
    EXPECT_FALSE(exists(keyRoot + "multi"));
    EXPECT_EQ(readWholeFile(keyRoot + "syslinux.cfg"), "# menu\n");
}

// The readme is opened through the text editor; its start is only recorded.
bool refuseEditor(const std::string &command) { return command.rfind("NOTEPAD.EXE", 0) == 0; }

TEST_F(FormatPageTest, FinishOpensTheReadmeOnlyWhileItsBoxIsChecked) {
    for (bool keepChecked : {false, true}) {
        SCOPED_TRACE(keepChecked ? "checked" : "unchecked");
        if (!keepChecked)
            reachFormatPage(kCreateBootableKey, "plain");
        else {
            // A second run on the same key.
            sheet = std::make_unique<CWizard97>(106, nullptr, 0);
            app.m_pMainWnd = sheet.get();
            ASSERT_TRUE(sheet->Create(nullptr, kWizardWindowStyle, 0));
            PumpMessages();
            reachFormatPage(kCreateBootableKey, "plain");
        }
        log->onStart = refuseEditor;
        buildKey();
        EXPECT_TRUE(::IsWindowVisible(readmeBox()));
        EXPECT_EQ(::SendMessageA(readmeBox(), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(sheet->m_completePage.m_bViewReadme, 1);
        if (!keepChecked)
            ::SendMessageA(readmeBox(), BM_SETCHECK, BST_UNCHECKED, 0);
        press(PSBTN_FINISH);
        PumpUntil([&] { return sheet->m_hWnd == nullptr; }, 3000);
        EXPECT_EQ(sheet->m_hWnd, nullptr) << "Finish closes the wizard";
        std::vector<std::string> events = log->events();
        bool opened = std::any_of(events.begin(), events.end(),
                                  [](const std::string &e) { return e.rfind("start NOTEPAD.EXE ", 0) == 0; });
        EXPECT_EQ(opened, keepChecked);
        log.reset();
    }
}

TEST_F(FormatPageTest, BackOnTheCompletionPageStays) {
    reachFormatPage(kCreateBootableKey, "plain");
    buildKey();
    std::vector<UINT> before = history();
    press(PSBTN_BACK);
    EXPECT_EQ(currentId(), 108u);
    EXPECT_EQ(history(), before);
}

TEST_F(FormatPageTest, BackBeforeTheBuildReturnsToTheSelectMediaPage) {
    reachFormatPage(kCreateBootableKey, "plain");
    std::vector<UINT> before = history();
    ASSERT_EQ(before.back(), 109u);
    int formats = lastFormat->calls;
    press(PSBTN_BACK);
    EXPECT_EQ(currentId(), 109u);
    EXPECT_EQ(history(), std::vector<UINT>(before.begin(), before.end() - 1));
    EXPECT_EQ(lastFormat->calls, formats);
    EXPECT_THAT(log->events(), ::testing::IsEmpty()) << "nothing of the build ran";
}

// On the completion page the program ends at Cancel; whether the readme was opened by then is
// noted when the end is asked for.
BuildLog *endingLog = nullptr;
std::vector<int> endCodes;
bool readmeOpenedAtEnd = false;
bool readmeOpened(const std::vector<std::string> &events) {
    return std::any_of(events.begin(), events.end(),
                       [](const std::string &e) { return e.rfind("start NOTEPAD.EXE ", 0) == 0; });
}
void recordEnd(UINT code) {
    endCodes.push_back(static_cast<int>(code));
    readmeOpenedAtEnd = readmeOpenedAtEnd || readmeOpened(endingLog->events());
}

TEST_F(FormatPageTest, CancelOnTheCompletionPageEndsWithoutOpeningTheReadme) {
    reachFormatPage(kCreateBootableKey, "plain");
    log->onStart = refuseEditor;
    buildKey();
    ASSERT_EQ(::SendMessageA(readmeBox(), BM_GETCHECK, 0, 0), BST_CHECKED) << "the readme is offered";
    endingLog = log.get();
    endCodes.clear();
    readmeOpenedAtEnd = false;
    {
        ScopedSystemCall<decltype(sys.ExitProcess)> end(sys.ExitProcess, recordEnd);
        press(PSBTN_CANCEL);
        PumpMessages();
    }
    EXPECT_EQ(endCodes, std::vector<int>{-1});
    EXPECT_FALSE(readmeOpenedAtEnd);
    EXPECT_FALSE(readmeOpened(log->events()));
}

// A copy from a CD/DVD drive, held while its creation script "starts", so a cancel can come in.
HWND cancelTarget = nullptr;
BuildLog *cancelLog = nullptr;
// The script then starts for real; E: holds no such script, so it ends at once.
bool cancelDuringScriptStart(const std::string &command) {
    if (command.rfind("CMD.EXE", 0) != 0)
        return false;
    auto plays = [] {
        std::vector<std::string> events = cancelLog->events();
        return std::count(events.begin(), events.end(), "play -1 from 0 to -1");
    };
    ::PostMessageA(cancelTarget, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    for (int i = 0; i < 500 && plays() < 2; ++i)
        ::Sleep(10);
    return false;
}

// The disc in E: holds nothing, so whatever the script did, the key holds all of it.
decltype(sys.GetDiskFreeSpaceExA) keySpace = nullptr;
BOOL WINAPI emptyDiscInE(LPCSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree) {
    if (!root || root[0] != 'E')
        return keySpace(root, available, total, totalFree);
    for (PULARGE_INTEGER value : {available, total, totalFree})
        if (value)
            value->QuadPart = 0;
    return TRUE;
}

void useDriveSource(CWizard97 &sheet, BuildLog &log) {
    sheet.m_mediaDefinition.SetSourceDrive('E');
    sheet.m_mediaDefinition.creationScript = "E:\\usb\\create.bat";
    cancelTarget = sheet.m_hWnd;
    cancelLog = &log;
    log.onStart = cancelDuringScriptStart;
}

class CancelDuringCopyTest : public FormatPageTest {
  protected:
    CancelDuringCopyTest() : FormatPageTest(IDNO) {}
};

TEST_F(CancelDuringCopyTest, AnsweredNoRestartsTheAnimationAndTheBuildGoesOn) {
    reachFormatPage(kCreateBootableKey, "plain");
    useDriveSource(*sheet, *log);
    keySpace = sys.GetDiskFreeSpaceExA;
    ScopedSystemCall<decltype(sys.GetDiskFreeSpaceExA)> emptyDisc(sys.GetDiskFreeSpaceExA, emptyDiscInE);
    buildKey();
    std::vector<std::string> events = build(log->events());
    std::vector<std::string> tail(events.end() - std::min<size_t>(events.size(), 6), events.end());
    EXPECT_THAT(tail,
                ElementsAreArray({std::string("play -1 from 0 to -1"),
                                  std::string("start CMD.EXE /C \"E:\\usb\\create.bat E: P:\"") + kCancelOnly,
                                  std::string("stop"), std::string("play -1 from 0 to -1"),
                                  std::string("stop"), std::string("close")}));
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes().front().text, loadedText(IDS_CONFIRM_CLOSE));
    EXPECT_EQ(boxes.boxes().front().type, UINT(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(boxes.boxes().back().text, loadedText(IDS_COPY_SUCCEEDED));
}

// A cancel during the copy, with each answer and each kind of source: only Yes ends the program,
// and only a copy from a drive has a creation script to end first.
struct CancelAnswer {
    const char *what;
    bool image;
    int answer;
    const char *command; // run through the runtime's system, or null
    bool ends;
};

const CancelAnswer cancelAnswers[] = {
    {"drive, Yes", false, IDYES, "taskkill /F /T /PID 4242", true},
    {"image, Yes", true, IDYES, nullptr, true},
    {"drive, No", false, IDNO, nullptr, false},
    {"drive, Cancel", false, IDCANCEL, nullptr, false},
    {"image, Cancel", true, IDCANCEL, nullptr, false},
};

int cancelAnswer = IDOK;
std::vector<std::string> cancelCommands;
std::vector<int> cancelExits;
int WINAPI answerCancel(HWND, LPCSTR, LPCSTR, UINT) { return cancelAnswer; }
int recordCommand(const char *command) {
    cancelCommands.push_back(command);
    return 0;
}
void recordExit(UINT code) { cancelExits.push_back(static_cast<int>(code)); }

TEST_F(FormatPageTest, CancelDuringTheCopyEndsOnlyOnYesAndKillsOnlyADriveScript) {
    reachFormatPage(kCreateBootableKey, "plain");
    CFormat &page = sheet->m_formatPage;
    CMediaDefinition &media = sheet->m_mediaDefinition;
    for (const CancelAnswer &c : cancelAnswers) {
        SCOPED_TRACE(c.what);
        cancelAnswer = c.answer;
        cancelCommands.clear();
        cancelExits.clear();
        ScopedSystemCall<decltype(sys.MessageBoxA)> box(sys.MessageBoxA, answerCancel);
        ScopedSystemCall<decltype(sys.system)> run(sys.system, recordCommand);
        ScopedSystemCall<decltype(sys.ExitProcess)> exit(sys.ExitProcess, recordExit);
        media.sourceIsImage = c.image;
        media.scriptProcessId = 4242;
        page.m_bCopying = true;
        size_t before = log->events().size();

        page.OnCancel();

        EXPECT_EQ(cancelCommands,
                  c.command ? std::vector<std::string>{c.command} : std::vector<std::string>{});
        EXPECT_EQ(cancelExits, c.ends ? std::vector<int>{-1} : std::vector<int>{});
        std::vector<std::string> events = log->events();
        std::vector<std::string> animation(events.begin() + static_cast<std::ptrdiff_t>(before),
                                           events.end());
        std::vector<std::string> expected = {"stop"};
        if (!c.ends)
            expected.push_back("play -1 from 0 to -1");
        EXPECT_EQ(animation, expected);
    }
    page.m_bCopying = false;
}

// ---- In a child process: the real end of the program.

// Where a child writes what it showed and ran; set only in a child.
const char *childResult() { return getenv("ORVELLA_PAGE_CHILD_RESULT"); }
void appendResult(const std::string &line) { std::ofstream(childResult(), std::ios::app) << line << "\n"; }
// A box's text on one line of the result: the platform's texts end in a line break.
std::string boxLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}
int WINAPI writeBox(HWND, LPCSTR text, LPCSTR, UINT) {
    appendResult("box: " + boxLine(text ? text : ""));
    return IDYES;
}
int writeSystem(const char *command) {
    appendResult(std::string("system: ") + command);
    return 0;
}

class FormatPageChild : public FormatPageTest {
  protected:
    void SetUp() override {
        if (!childResult())
            GTEST_SKIP() << "runs as the child of FormatPageEnd";
        FormatPageTest::SetUp();
    }
    void realEnd() {
        exitsReal.emplace(sys.ExitProcess, endProcessAtOnce);
        writeBoxes.emplace(sys.MessageBoxA, writeBox);
        writeCommands.emplace(sys.system, writeSystem);
    }
    std::optional<ScopedSystemCall<decltype(sys.ExitProcess)>> exitsReal;
    std::optional<ScopedSystemCall<decltype(sys.MessageBoxA)>> writeBoxes;
    std::optional<ScopedSystemCall<decltype(sys.system)>> writeCommands;
};

TEST_F(FormatPageChild, FormatFails) {
    reachFormatPage(kCreateBootableKey, "plain");
    setFormatOutcome(FormatOutcome::Fail);
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on after a failed format";
}

TEST_F(FormatPageChild, CancelDuringACopyFromADriveAnsweredYes) {
    reachFormatPage(kCreateBootableKey, "plain");
    useDriveSource(*sheet, *log);
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on after the cancel";
}

bool failSyslinuxStart(const std::string &command) { return command.rfind("syslinux.exe", 0) == 0; }
bool failScriptStart(const std::string &command) { return command.rfind("CMD.EXE", 0) == 0; }

TEST_F(FormatPageChild, InstallerCannotStart) {
    reachFormatPage(kCreateBootableKey, "plain");
    log->onStart = failSyslinuxStart;
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on without the boot loader";
}

TEST_F(FormatPageChild, InstallerFails) {
    reachFormatPage(kCreateBootableKey, "plain");
    ::SetEnvironmentVariableA(kSyslinuxExitCodeVariable, "1");
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on after the installer failed";
}

TEST_F(FormatPageChild, BootFileCannotBeCopied) {
    reachFormatPage(kCreateBootableKey, "multi");
    blockedBootFile = keyRoot + "vesamenu.c32";
    log->onStart = blockBootFile;
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on without the menu module";
}

TEST_F(FormatPageChild, MenuEntryCannotBeWritten) {
    std::ofstream(keyRoot + "kxmboot.cfg") << "multiboot\n";
    reachFormatPage(kAddDiscToKey, "multi");
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on without the menu entry";
}

TEST_F(FormatPageChild, InterpreterCannotStart) {
    reachFormatPage(kCreateBootableKey, "plain");
    sheet->m_mediaDefinition.SetSourceDrive('E');
    sheet->m_mediaDefinition.creationScript = "E:\\usb\\create.bat";
    log->onStart = failScriptStart;
    realEnd();
    press(PSBTN_NEXT);
    ADD_FAILURE() << "the build went on after the copy could not start";
}

struct ChildEnd {
    const char *test;
    std::vector<std::string> result;
};

TEST(FormatPageEnd, EndsTheProgramWithMinusOneAfterItsMessage) {
    // A program that cannot be started is shown with the platform's own text first.
    const std::string notFound = "box: " + boxLine(SystemErrorText(ERROR_FILE_NOT_FOUND));
    const ChildEnd ends[] = {
        {"FormatFails", {"box: " + loadedText(IDS_FORMAT_FAILED)}},
        {"CancelDuringACopyFromADriveAnsweredYes",
         {"box: " + loadedText(IDS_CONFIRM_CLOSE), "system: taskkill /F /T /PID 0"}},
        {"InstallerCannotStart", {notFound, "box: " + loadedText(IDS_BOOT_SETUP_FAILED)}},
        {"InstallerFails", {"box: " + loadedText(IDS_BOOT_SETUP_FAILED)}},
        {"BootFileCannotBeCopied", {"box: " + loadedText(IDS_BOOT_SETUP_FAILED)}},
        {"MenuEntryCannotBeWritten", {"box: " + loadedText(IDS_MENU_ENTRY_FAILED)}},
        {"InterpreterCannotStart", {notFound, "box: " + loadedText(IDS_COPY_INTERRUPTED)}},
    };
    for (const ChildEnd &end : ends) {
        SCOPED_TRACE(end.test);
        ScratchFolder folder;
        std::string result = folder / "result.txt";
        ::SetEnvironmentVariableA("ORVELLA_PAGE_CHILD_RESULT", result.c_str());
        char exe[MAX_PATH];
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string commandLine = std::string("\"") + exe + "\" --gtest_filter=FormatPageChild." + end.test;
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION child{};
        BOOL started = ::CreateProcessA(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                        &startup, &child);
        ::SetEnvironmentVariableA("ORVELLA_PAGE_CHILD_RESULT", nullptr);
        ASSERT_TRUE(started);
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(child.hProcess, 30000) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(child.hProcess, &code);
        else
            ::TerminateProcess(child.hProcess, 99);
        ::CloseHandle(child.hProcess);
        ::CloseHandle(child.hThread);
        { WineUsbDisks leftovers; } // what the ended child could not take away

        EXPECT_EQ(code, DWORD(-1));
        std::vector<std::string> lines;
        std::ifstream in(result);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        EXPECT_EQ(lines, end.result);
    }
}

} // namespace
