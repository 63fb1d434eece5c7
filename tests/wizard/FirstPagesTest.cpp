// The welcome, licence, task and insert-media pages: the key scan, the licence of the system's
// language, Next only after Agree, the task for later pages and the bold caution.
#include "PageFixture.h"

#include "framework/CFile.h"
#include "resources/StringIds.h"
#include "support/FileBytes.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"
#include "support/win32/ProgramFolder.h"
#include "wizard/EulaPage.h"

#include <windows.h>

namespace {

using LicenceLocale = PageFixture;

// The licence beside the executable is the one of the system's language, whatever the dialogs show.
TEST_F(LicenceLocale, ShowsTheLicenceOfTheSystemLanguage) {
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 173u);
    std::string file = readWholeFile(testFolder() + (RunLanguage() == "ja" ? "eula.ja" : "eula.en"));
    std::string firstLine = file.substr(0, file.find_first_of("\r\n"));
    ASSERT_FALSE(firstLine.empty());
    std::string shown = windowText(control(sheet->m_eulaPage, IDC_EULA_TEXT));
    EXPECT_EQ(shown.substr(0, firstLine.size()), firstLine);
    EXPECT_GT(shown.size(), file.size() / 2) << "the whole licence is streamed in";
    // The text comes and goes in the system's code page: the Japanese heading reads right only when
    // eula.ja is code page 932 text, as a Japanese system expects.
    std::wstring wide(shown.size(), L'\0');
    wide.resize(
        static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()),
                                                  wide.data(), static_cast<int>(wide.size()))));
    EXPECT_NE(wide.find(RunLanguage() == "ja" ? L"使用許諾契約書" : L"End-User License Agreement"),
              std::wstring::npos);
    LRESULT options = ::SendMessageA(control(sheet->m_eulaPage, IDC_EULA_TEXT), EM_GETOPTIONS, 0, 0);
    EXPECT_EQ(options & (ECO_READONLY | ECO_SAVESEL), ECO_READONLY | ECO_SAVESEL);
    EXPECT_TRUE(boxes.boxes().empty());
}

// Each licence reads in the code page of its language and carries the as-is warranty and the
// third-party terms that the licence page's sentence refers to.
TEST(LicenceFiles, ReadInTheirCodePageWithTheWarrantyAndTheThirdPartyTerms) {
    struct Licence {
        const char *name;
        UINT codePage;
        std::vector<std::wstring> sections;
    };
    const Licence licences[] = {
        {"eula.en",
         1252,
         {L"End-User License Agreement", L"As-Is Warranty Statement", L"Expat", L"SYSLINUX"}},
        {"eula.ja", 932, {L"使用許諾契約書", L"現状有姿保証に関する声明", L"Expat", L"SYSLINUX"}},
    };
    for (const Licence &licence : licences) {
        SCOPED_TRACE(licence.name);
        std::string bytes = readWholeFile(testFolder() + licence.name);
        ASSERT_FALSE(bytes.empty());
        int length = ::MultiByteToWideChar(licence.codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
        ASSERT_GT(length, 0) << "not text of code page " << licence.codePage;
        std::wstring text(static_cast<size_t>(length), L'\0');
        ::MultiByteToWideChar(licence.codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                              length);
        for (const std::wstring &section : licence.sections)
            EXPECT_NE(text.find(section), std::wstring::npos)
                << "section " << &section - &licence.sections[0];
    }
}

TEST_F(PageFixture, LicenceLetsTheUserOnOnlyAfterAgree) {
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 173u);
    EXPECT_TRUE(::IsDlgButtonChecked(sheet->m_eulaPage.m_hWnd, IDC_DISAGREE));
    EXPECT_TRUE(enabled(kBackButtonId));
    EXPECT_FALSE(enabled(kNextButtonId));
    click(sheet->m_eulaPage, IDC_AGREE);
    EXPECT_TRUE(enabled(kNextButtonId));
    click(sheet->m_eulaPage, IDC_DISAGREE);
    EXPECT_FALSE(enabled(kNextButtonId));

    click(sheet->m_eulaPage, IDC_AGREE);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 174u);
    press(PSBTN_BACK);
    ASSERT_EQ(currentId(), 173u);
    EXPECT_TRUE(enabled(kNextButtonId)) << "Agree is still checked";
    click(sheet->m_eulaPage, IDC_DISAGREE);
    press(PSBTN_BACK);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 173u);
    EXPECT_FALSE(enabled(kNextButtonId)) << "Disagree is still checked";
}

TEST_F(PageFixture, WelcomeShowsNextAloneAndEachNextScansForKeys) {
    EXPECT_FALSE(enabled(kBackButtonId));
    EXPECT_TRUE(enabled(kNextButtonId));
    press(PSBTN_NEXT);
    EXPECT_TRUE(sheet->m_deviceManager.isUsbKey[kKeyLetter - 'A']);

    press(PSBTN_BACK);
    ASSERT_EQ(currentId(), 119u);
    disks.setDiskList({"IDE\\DiskST3500\\1"});
    press(PSBTN_NEXT);
    EXPECT_FALSE(sheet->m_deviceManager.isUsbKey[kKeyLetter - 'A']) << "the second Next scanned again";
}

void recordExit(UINT) { ADD_FAILURE() << "the process would have ended"; }

enum class Licence { Missing, Locked, ProgramPathFails, ProgramPathCut };

struct MissingLicenceCase {
    const char *what;
    Licence licence;
    UINT message; // the box shown before the wizard closes
};

const MissingLicenceCase missingLicenceCases[] = {
    {"no file", Licence::Missing, IDS_EULA_MISSING},
    // Present but not readable: as good as missing, and no exception may leave the page.
    {"file locked by another program", Licence::Locked, IDS_EULA_MISSING},
    // The program's folder is not known: the licence is there beside the program, so naming it as
    // missing would send the user to look at the wrong thing. A licence in the current drive's root,
    // where a name without the folder leads, or in the folder a cut path ends in, is not the program's.
    {"the program's path cannot be had", Licence::ProgramPathFails, IDS_EULA_FOLDER_UNKNOWN},
    {"the program's path fills the buffer", Licence::ProgramPathCut, IDS_EULA_FOLDER_UNKNOWN},
};

TEST_F(PageFixture, WithoutAReadableLicenceSaysWhyAndCloses) {
    const char *name = IsJapaneseSystemLocale() ? "eula.ja" : "eula.en";
    // Message 110 with any path in it.
    const std::string missing = loadedText(IDS_EULA_MISSING);
    const size_t slot = missing.find("%s");
    auto saysMissing = [&](const std::string &text) {
        size_t tail = missing.size() - slot - 2;
        return text.size() >= missing.size() - 2 && text.compare(0, slot, missing, 0, slot) == 0 &&
               text.compare(text.size() - tail, tail, missing, slot + 2, tail) == 0;
    };
    for (const MissingLicenceCase &c : missingLicenceCases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        bool pathLost = c.licence == Licence::ProgramPathFails || c.licence == Licence::ProgramPathCut;
        std::string licence = folder.path() + "\\" + name;
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.licence == Licence::Locked) {
            folder.write(name, "licence text\r\n");
            lock = ::CreateFileA(licence.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        }
        if (pathLost) {
            ASSERT_TRUE(::CopyFileA((testFolder() + name).c_str(), (keyRoot + name).c_str(), FALSE));
        }
        {
            // The licence is looked for beside the executable, here the scratch folder.
            ProgramInFolder program(folder.path());
            std::unique_ptr<ProgramPathLost> lost;
            if (pathLost)
                lost = std::make_unique<ProgramPathLost>(c.licence == Licence::ProgramPathFails
                                                             ? ProgramPathLoss::CallFails
                                                             : ProgramPathLoss::BufferFilled,
                                                         keyRoot.substr(0, 2));
            CurrentFolder current(keyRoot);
            ASSERT_TRUE(current.made());
            ScopedSystemCall<decltype(sys.ExitProcess)> exits(sys.ExitProcess, recordExit);
            press(PSBTN_NEXT);
            PumpUntil([&] { return sheet->m_hWnd == nullptr; }, 3000);
        }
        if (lock != INVALID_HANDLE_VALUE)
            ::CloseHandle(lock);
        std::vector<std::string> shown = takeBoxes();
        std::string expected = loadedText(c.message);
        if (c.message == IDS_EULA_MISSING)
            expected.replace(expected.find("%s"), 2, licence);
        EXPECT_EQ(shown, std::vector<std::string>{expected});
        if (c.message != IDS_EULA_MISSING)
            for (const std::string &text : shown)
                EXPECT_FALSE(saysMissing(text)) << "the licence is there: " << text;
        ASSERT_FALSE(boxes.boxes().empty());
        EXPECT_EQ(boxes.boxes().back().type & MB_ICONMASK, UINT(MB_ICONERROR));
        EXPECT_EQ(sheet->m_hWnd, nullptr) << "the close request ended the wizard";

        // A fresh wizard for the next case.
        sheet = std::make_unique<CWizard97>(106, nullptr, 0);
        app.m_pMainWnd = sheet.get();
        ASSERT_TRUE(sheet->Create(nullptr, kWizardWindowStyle, 0));
        PumpMessages();
    }
}

// A licence whose reads fail, as one on a failing disk would.
class UnreadableFile : public CFile {
  public:
    UINT Read(void *, UINT) override { throw CFileException(CFileException::hardIO, ERROR_CRC); }
};

// The rich-edit control calls the licence reader from its own code: a failed read must come back as
// the stream's error, never as an exception through the control.
TEST(EulaStreamIn, GivesTheFileInChunksAndAFailedReadAsTheStreamsError) {
    ScratchFolder folder;
    folder.write("eula.en", "0123456789");
    CFile file((folder / "eula.en").c_str(), CFile::modeRead);
    BYTE buffer[8];
    LONG count = -1;
    EXPECT_EQ(EulaStreamInCallback(reinterpret_cast<DWORD_PTR>(&file), buffer, sizeof(buffer), &count), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), static_cast<size_t>(count)), "01234567");
    EXPECT_EQ(EulaStreamInCallback(reinterpret_cast<DWORD_PTR>(&file), buffer, sizeof(buffer), &count), 0u);
    EXPECT_EQ(count, 2);

    UnreadableFile unreadable;
    count = -1;
    DWORD error = 0;
    EXPECT_NO_THROW(error = EulaStreamInCallback(reinterpret_cast<DWORD_PTR>(&unreadable), buffer,
                                                 sizeof(buffer), &count));
    EXPECT_EQ(error, DWORD(ERROR_CRC));
    EXPECT_EQ(count, 0);
}

LONG weightOf(HWND control) {
    LOGFONTA description{};
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    if (!font || !::GetObjectA(font, sizeof(description), &description))
        return -1;
    return description.lfWeight;
}

TEST_F(PageFixture, TaskDecidesTheCautionAndTheLastChoiceCounts) {
    press(PSBTN_NEXT);
    click(sheet->m_eulaPage, IDC_AGREE);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 174u);
    EXPECT_TRUE(::IsDlgButtonChecked(sheet->m_taskPage.m_hWnd, IDC_TASK_CREATE));
    EXPECT_FALSE(::IsDlgButtonChecked(sheet->m_taskPage.m_hWnd, IDC_TASK_ADD));

    struct Step {
        int radio;
        Common::u32 task;
        bool cautionShown;
    };
    const Step steps[] = {{IDC_TASK_CREATE, 0, true}, {IDC_TASK_ADD, 1, false}, {IDC_TASK_CREATE, 0, true}};
    for (const Step &step : steps) {
        SCOPED_TRACE(step.task);
        click(sheet->m_taskPage, step.radio);
        EXPECT_EQ(::IsDlgButtonChecked(sheet->m_taskPage.m_hWnd, IDC_TASK_ADD), UINT(step.task == 1));
        press(PSBTN_NEXT);
        ASSERT_EQ(currentId(), 106u);
        EXPECT_EQ(sheet->m_bTaskChosen, 1u);
        EXPECT_EQ(sheet->m_nTask, step.task);
        HWND caution = control(sheet->m_insertMediaPage, IDC_CAUTION);
        EXPECT_EQ(bool(::IsWindowVisible(caution)), step.cautionShown);
        EXPECT_EQ(weightOf(caution), FW_BOLD);
        EXPECT_TRUE(enabled(kBackButtonId) && enabled(kNextButtonId)) << "kept from the licence page";
        press(PSBTN_BACK);
        ASSERT_EQ(currentId(), 174u);
    }
    EXPECT_EQ(history(), (std::vector<UINT>{119, 173}));
}

TEST_F(PageFixture, TaskWithNeitherCheckedStaysAndRecordsNothing) {
    press(PSBTN_NEXT);
    click(sheet->m_eulaPage, IDC_AGREE);
    press(PSBTN_NEXT);
    ::CheckDlgButton(sheet->m_taskPage.m_hWnd, IDC_TASK_CREATE, BST_UNCHECKED);
    press(PSBTN_NEXT);
    EXPECT_EQ(currentId(), 174u);
    EXPECT_EQ(sheet->m_bTaskChosen, 0u);
    EXPECT_EQ(history(), (std::vector<UINT>{119, 173}));
}

} // namespace
