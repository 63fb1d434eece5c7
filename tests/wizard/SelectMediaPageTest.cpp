// The select-media page: its lists, its source switches, and every refusal of Next in its order.
#include "CaseNames.h"
#include "PageFixture.h"

#include "framework/CString.h"
#include "resources/StringIds.h"
#include "support/IsoBuilder.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"
#include "support/win32/JapaneseWords.h"
#include "support/win32/ProgramFolder.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <thread>

namespace {

enum class Source { NoDrive, EmptyPath, Image };

struct Refusal {
    const char *what;
    Common::u32 task;
    Source source;
    const char *image;    // for Source::Image; a missing file when it names none of the images
    bool key;             // a key is listed
    bool multibootKey;    // the key carries the multiboot marker
    const char *onKey;    // a folder already on the key, or null
    unsigned freeMB;      // what the key reports free
    int message;          // the refusal, 0 when Next goes on
    const char *expected; // the exact English text, when it has placeholders; else the table's
    void (*crafted)(IsoBuilder &) = nullptr; // lays out the image chosen, in place of a made one
};

void PrintTo(const Refusal &r, std::ostream *out) { *out << r.what; }

const Refusal refusals[] = {
    {"no CD/DVD drive", 0, Source::NoDrive, nullptr, true, false, nullptr, kKeySizeMB, 107, nullptr},
    {"image radio with an empty path", 0, Source::EmptyPath, nullptr, true, false, nullptr, kKeySizeMB, 124,
     nullptr},
    {"image file that does not exist", 0, Source::Image, "absent", true, false, nullptr, kKeySizeMB, 125,
     nullptr},
    {"file that is no image", 0, Source::Image, "damaged", true, false, nullptr, kKeySizeMB, 127, nullptr},
    {"Japanese name that narrows to a bar", 0, Source::Image, "bo", true, false, nullptr, kKeySizeMB, 130,
     nullptr},
    {"Japanese name that narrows to a star", 0, Source::Image, "mi", true, false, nullptr, kKeySizeMB, 130,
     nullptr},
    {"name Windows opens as a device", 0, Source::Image, "device", true, false, nullptr, kKeySizeMB, 130,
     nullptr},
    {"name that climbs out of the key", 0, Source::Image, nullptr, true, false, nullptr, kKeySizeMB, 130,
     nullptr,
     [](IsoBuilder &i) { i.tree({IsoBuilder::folder(u"isolinux", {IsoBuilder::file(u"..", "up")})}); }},
    {"file in two extents", 0, Source::Image, nullptr, true, false, nullptr, kKeySizeMB, 131, nullptr,
     [](IsoBuilder &i) {
         i.directory(20, 20,
                     {IsoBuilder::notFinal(IsoBuilder::record(IsoBuilder::ucs2("huge.bin"), 30, 2048, false)),
                      IsoBuilder::record(IsoBuilder::ucs2("huge.bin"), 31, 1, false)});
     }},
    {"image without a definition", 0, Source::Image, "nodefinition", true, false, nullptr, kKeySizeMB, 126,
     nullptr},
    {"definition without filesystem_commands", 0, Source::Image, "nocommands", true, false, nullptr,
     kKeySizeMB, 126, nullptr},
    {"no key, after the source passed", 0, Source::Image, "plain", false, false, nullptr, kKeySizeMB, 108,
     nullptr},
    {"key one MB too small", 0, Source::Image, "toolarge", true, false, nullptr, kKeySizeMB, 109,
     "The selected USB key (P: 30592 MB) is not large enough to hold the contents of the source CD/DVD.  "
     "The source CD/DVD requires 30593 MB (32 GB USB key or larger)."},
    {"key exactly as large as needed", 0, Source::Image, "plain", true, false, nullptr, 1, 0, nullptr},
    {"adding a disc without multiboot", 1, Source::Image, "plain", true, true, nullptr, kKeySizeMB, 121,
     nullptr},
    {"adding to a key that is not multiboot", 1, Source::Image, "multi", true, false, nullptr, kKeySizeMB,
     122, nullptr},
    {"adding a disc already on the key", 1, Source::Image, "multi", true, true, "multi", kKeySizeMB, 123,
     nullptr},
    {"adding a disc whose folder is the root", 1, Source::Image, "emptyfolder", true, true, nullptr,
     kKeySizeMB, 123, nullptr},
    {"adding with too little free space", 1, Source::Image, "multi", true, true, nullptr, 199, 120,
     "The selected USB key (P:) only has 199 MB of free space which is not enough to hold the contents of "
     "the "
     "source CD/DVD.  The source CD/DVD requires 200 MB."},
    {"adding with just enough free space", 1, Source::Image, "multi", true, true, nullptr, 200, 0, nullptr},
    {"adding to a key smaller than the disc needs, with the free space", 1, Source::Image, "bigmulti", true,
     true, nullptr, 30600, 0, nullptr},
};

// Also run under the Japanese and French locales: a Japanese system shows the Japanese table, whose
// texts are checked against what each message means; any other shows the English texts.
class SelectMediaRefusalLocale : public PageFixture, public ::testing::WithParamInterface<Refusal> {
  protected:
    SelectMediaRefusalLocale() : PageFixture(GetParam().key) {}
};

TEST_P(SelectMediaRefusalLocale, RefusesWithItsMessageOrGoesOn) {
    const Refusal &r = GetParam();
    if (r.multibootKey)
        std::ofstream(keyRoot + "kxmboot.cfg") << "multiboot\n";
    if (r.onKey)
        ::CreateDirectoryA((keyRoot + r.onKey).c_str(), nullptr);
    goToSelectMedia(r.task);
    ScratchFolder scratch;
    std::string chosen = r.image ? pageImage(r.image) : std::string();
    if (r.crafted) {
        IsoBuilder image;
        r.crafted(image);
        chosen = scratch / "crafted.iso";
        image.write(chosen);
    }
    if (r.source != Source::NoDrive)
        chooseImage(chosen);
    keyFreeMB = r.freeMB;

    press(PSBTN_NEXT);
    std::vector<std::string> shown = takeBoxes();
    if (!r.message) {
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(currentId(), 115u);
        EXPECT_EQ(history().back(), 109u);
        EXPECT_EQ(sheet->m_deviceManager.GetDriveLetter(), kKeyLetter);
        return;
    }
    EXPECT_EQ(currentId(), 109u);
    EXPECT_EQ(history().size(), 4u) << "a refusal pushes nothing";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(boxes.boxes().back().type, UINT(MB_ICONERROR));
    if (RunLanguage() == "ja") {
        std::string text = SystemCodePageToUtf8(shown[0]);
        std::vector<std::string> words = JapaneseWordsOf(static_cast<UINT>(r.message));
        ASSERT_FALSE(words.empty()) << r.message;
        for (const std::string &word : words)
            EXPECT_NE(text.find(word), std::string::npos) << "message " << r.message << ": " << text;
    } else if (r.message == 125) {
        // The platform's own text follows the code; its wording is the platform's.
        EXPECT_EQ(shown[0].rfind("An error occurred trying to read the ISO file.  [0x2] ", 0), 0u)
            << shown[0];
    } else {
        EXPECT_EQ(shown[0], r.expected ? r.expected : loadedText(r.message));
    }

    // Next again repeats the whole check, with the same answer.
    press(PSBTN_NEXT);
    EXPECT_EQ(takeBoxes(), shown);
}

INSTANTIATE_TEST_SUITE_P(Refusals, SelectMediaRefusalLocale, ::testing::ValuesIn(refusals), NamedByWhat());

// The boot loader and its menu files are the user's to place beside the program: the first task
// checks for them before anything is formatted, and only for what the disc's build will take.
struct BootFilesCase {
    const char *what;
    const char *image;
    std::vector<std::string> missing; // of the files beside the tests, left out of the program's folder
    const char *named;                // the file the refusal names, or null when Next goes on
    // How the program's path cannot be had, if it cannot: the build takes every boot file from the
    // program's folder, so the first task is refused before the format.
    std::optional<ProgramPathLoss> lost = std::nullopt;
};

void PrintTo(const BootFilesCase &c, std::ostream *out) { *out << c.what; }

std::vector<BootFilesCase> bootFilesCases() {
    std::vector<BootFilesCase> cases = {
        {"no installer, plain disc", "plain", {"syslinux.exe"}, "syslinux.exe"},
        {"no installer, multiboot disc", "multi", {"syslinux.exe"}, "syslinux.exe"},
        {"no installer and no menu module: the installer is named",
         "multi",
         {"vesamenu.c32", "syslinux.exe"},
         "syslinux.exe"},
        {"two boot files missing: the first in copy order is named",
         "multi",
         {"vesamenu.c32", "kxusb.jpg"},
         "kxusb.jpg"},
        {"a boot file missing for a disc that takes none", "plain", {"vesamenu.c32"}, nullptr},
        {"everything there", "multi", {}, nullptr},
        {"the program's path cannot be had", "multi", {}, nullptr, ProgramPathLoss::CallFails},
        {"the program's path fills the buffer", "multi", {}, nullptr, ProgramPathLoss::BufferFilled},
        {"the program's path lost and the key too small: the folder is named first",
         "toolarge",
         {},
         nullptr,
         ProgramPathLoss::CallFails},
    };
    for (const char *file : kMultibootFiles)
        cases.push_back({file, "multi", {file}, file});
    return cases;
}

class BootFilesBesideTheProgram : public PageFixture, public ::testing::WithParamInterface<BootFilesCase> {};

TEST_P(BootFilesBesideTheProgram, AMissingFileRefusesTheFirstTaskBeforeTheFormat) {
    const BootFilesCase &c = GetParam();
    ScratchFolder program;
    std::vector<std::string> files = {"eula.en", "eula.ja", "syslinux.exe"};
    files.insert(files.end(), std::begin(kMultibootFiles), std::end(kMultibootFiles));
    for (const std::string &file : files) {
        if (std::find(c.missing.begin(), c.missing.end(), file) == c.missing.end()) {
            ASSERT_TRUE(::CopyFileA((testFolder() + file).c_str(), (program / file).c_str(), FALSE)) << file;
        }
    }
    ProgramInFolder beside(program.path());
    goToSelectMedia(kCreateBootableKey);
    // Lost after the licence page, which would otherwise have closed the wizard. A filled buffer
    // names the folder that holds every boot file, so a page that took it for the program's folder
    // would go on.
    std::optional<ProgramPathLost> lost;
    if (c.lost)
        lost.emplace(*c.lost, program.path());
    chooseImage(pageImage(c.image));
    int formatsBefore = lastFormat->calls;

    press(PSBTN_NEXT);
    std::vector<std::string> shown = takeBoxes();
    if (!c.named && !c.lost) {
        EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
        EXPECT_EQ(currentId(), 115u);
        return;
    }
    buildIfLetThrough();
    EXPECT_EQ(lastFormat->calls, formatsBefore) << "nothing is formatted";
    CString expected;
    if (c.lost)
        expected.LoadString(IDS_PROGRAM_FOLDER_UNKNOWN);
    else
        expected.Format(IDS_BOOT_FILE_MISSING, c.named, program.path().c_str());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::string(expected));
    if (c.named) {
        EXPECT_NE(shown[0].find(c.named), std::string::npos) << shown[0];
        EXPECT_NE(shown[0].find(program.path()), std::string::npos) << shown[0];
    }
    EXPECT_EQ(boxes.boxes().back().type, UINT(MB_ICONERROR));
    EXPECT_EQ(currentId(), 109u);
    EXPECT_EQ(history().size(), 4u) << "a refusal pushes nothing";
}

INSTANTIATE_TEST_SUITE_P(Missing, BootFilesBesideTheProgram, ::testing::ValuesIn(bootFilesCases()),
                         NamedByWhat());

std::vector<std::string> items(HWND combo) {
    std::vector<std::string> texts;
    int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

TEST_F(PageFixture, ListsOnlyKeysFrom401To32999MBWithTheirSize) {
    goToSelectMedia(0);
    HWND combo = control(sheet->m_findKeyPage, IDC_TARGET_COMBO);
    EXPECT_EQ(items(combo), std::vector<std::string>{"P: (30592 MB)"});
    EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);

    struct Size {
        DWORD mb;
        bool listed;
    };
    for (Size size : {Size{400, false}, Size{401, true}, Size{32999, true}, Size{33000, false}}) {
        SCOPED_TRACE(size.mb);
        FakeKeyDevices resized;
        resized.addDisk(1, FakeKeyDevices::geometry(size.mb, 1, 2048, 512));
        resized.addVolume(kKeyLetter);
        click(sheet->m_findKeyPage, IDC_RESCAN_TARGET);
        std::vector<std::string> expected;
        if (size.listed)
            expected.push_back("P: (" + std::to_string(size.mb) + " MB)");
        EXPECT_EQ(items(combo), expected);
        EXPECT_EQ(::SendMessageA(combo, CB_GETCURSEL, 0, 0), size.listed ? 0 : CB_ERR);
    }
}

TEST_F(PageFixture, SourceRadiosSwitchTheControlsAndRescanLeavesThePath) {
    goToSelectMedia(0);
    CFindKey &page = sheet->m_findKeyPage;
    const int cdControls[] = {IDC_CD_DRIVE_LABEL, IDC_SOURCE_COMBO, IDC_RESCAN_SOURCE};
    const int isoControls[] = {IDC_FROM_FILE_LABEL, IDC_ISO_PATH, IDC_BROWSE_ISO};
    auto expectEnabled = [&](bool cd) {
        for (int id : cdControls)
            EXPECT_EQ(bool(::IsWindowEnabled(control(page, id))), cd) << id;
        for (int id : isoControls)
            EXPECT_EQ(bool(::IsWindowEnabled(control(page, id))), !cd) << id;
        EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_CD_DRIVE_RADIO), UINT(cd));
        EXPECT_EQ(::IsDlgButtonChecked(page.m_hWnd, IDC_ISO_FILE_RADIO), UINT(!cd));
        EXPECT_TRUE(::IsWindowEnabled(control(page, IDC_TARGET_COMBO)));
        EXPECT_TRUE(::IsWindowEnabled(control(page, IDC_RESCAN_TARGET)));
    };
    expectEnabled(true);
    chooseImage("C:\\images\\disc.iso");
    expectEnabled(false);
    page.OnRescanSource();
    expectEnabled(false);
    EXPECT_EQ(windowText(control(page, IDC_ISO_PATH)), "C:\\images\\disc.iso");
    click(page, IDC_CD_DRIVE_RADIO);
    expectEnabled(true);
}

// Answers the file dialog that this thread opens over the sheet: types a name and presses OK, or
// presses Cancel when the name is empty.
void answerFileDialog(DWORD thread, HWND sheetWindow, std::string name) {
    struct Search {
        HWND sheet;
        HWND found;
    } search{sheetWindow, nullptr};
    for (int i = 0; i < 500 && !search.found; ++i) {
        ::EnumThreadWindows(
            thread,
            [](HWND window, LPARAM data) {
                auto *s = reinterpret_cast<Search *>(data);
                char cls[32];
                ::GetClassNameA(window, cls, sizeof(cls));
                if (window == s->sheet || std::string(cls) != "#32770" || !::IsWindowVisible(window))
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            ::Sleep(10);
    }
    if (!search.found)
        return;
    if (name.empty()) {
        ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    if (!::SetDlgItemTextA(search.found, cmb13, name.c_str()))
        ::SetDlgItemTextA(search.found, edt1, name.c_str());
    ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(PageFixture, BrowseStartsInTheCurrentFolderAndPutsTheChosenPathInTheField) {
    goToSelectMedia(0);
    chooseImage("");
    ScratchFolder folder;
    folder.write("disc.iso", "image");
    char before[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, before);
    ::SetCurrentDirectoryA(folder.path().c_str());
    for (const char *answer : {"disc.iso", ""}) {
        SCOPED_TRACE(answer);
        std::thread user(answerFileDialog, ::GetCurrentThreadId(), sheet->m_hWnd, std::string(answer));
        sheet->m_findKeyPage.OnBrowseIso();
        user.join();
        // A relative name is found in the folder the dialog opened in; Cancel changes nothing.
        EXPECT_EQ(windowText(control(sheet->m_findKeyPage, IDC_ISO_PATH)), folder.path() + "\\disc.iso");
    }
    ::SetCurrentDirectoryA(before);
}

} // namespace
