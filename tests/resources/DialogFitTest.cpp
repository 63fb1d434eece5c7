// Every text of every page fits its control as the user sees it: the wizard's own pages, built by the
// sheet in the language the platform picks for the run (the locale runs repeat this in Japanese),
// each control measured in the font it draws with, with every text the pages put there while they
// run: one-line texts across and down, wrapped texts down and across, and the entries the
// select-media page puts in its lists.
#include "framework/Resources.h"
#include "framework/Startup.h"
#include "framework/WinApp.h"
#include "resources/StringIds.h"
#include "resources/resource.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/MessagePump.h"
#include "support/win32/ProgramFolder.h"
#include "support/win32/Utf8.h"
#include "wizard/Wizard97.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Room kept beyond the measured text: the fonts this is measured with are not those of every user.
constexpr int kMargin = 4;
// A wrapped text's last line must not touch the control's bottom edge.
constexpr int kWrappedSpare = 2;
// A push button's frame and focus rectangle take this much on each side.
constexpr int kPushButtonInset = 3;
// A CD/DVD entry holds a volume label of up to this many characters.
const wchar_t kLongVolumeLabel[] = L"SAMPLE_RESCUE_CD";

// The demo's two discs, as their definitions name them; the pages show the name in the system's
// language, or the English one where the disc has no other.
const char *const kDemoDiscs[] = {
    u8"<name><name_xlate lang=\"en\">Sample Rescue</name_xlate>"
    u8"<name_xlate lang=\"ja\">サンプル レスキュー</name_xlate></name>"
    u8"<version>1.0</version><architecture>x86</architecture>",
    u8"<name><name_xlate lang=\"en\">Sample Tools</name_xlate></name><version>2.1</version>",
};

// The texts the format page's status line shows in turn while it builds a key.
const UINT kStatusTexts[] = {IDS_FORMATTING, IDS_MAKING_BOOTABLE, IDS_COPYING};

// A text control no page ever writes to.
constexpr int kNeverSet = IDC_INFO_TEXT;

const UINT kPages[] = {IDD_SPLASH,   IDD_EULA,   IDD_TASK,    IDD_INSERT_MEDIA,
                       IDD_FIND_KEY, IDD_FORMAT, IDD_COMPLETE};

// The language of the user interface that the run's locale selects.
WORD runUserInterfaceLanguage() {
    const std::string code = RunLanguage();
    return code == "ja"   ? LANG_JAPANESE
           : code == "fr" ? LANG_FRENCH
           : code == "es" ? LANG_SPANISH
           : code == "de" ? LANG_GERMAN
           : code == "it" ? LANG_ITALIAN
                          : LANG_ENGLISH;
}

// The pages of that run: Japanese ones under a Japanese user interface, English ones under any
// other, since the program has no others.
LANGID pagesLanguage() {
    return runUserInterfaceLanguage() == LANG_JAPANESE ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                                       : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

std::string name(UINT page) {
    return std::to_string(page) + (PRIMARYLANGID(pagesLanguage()) == LANG_JAPANESE ? "_ja" : "_en");
}

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

int width(const RECT &r) { return r.right - r.left; }
int height(const RECT &r) { return r.bottom - r.top; }

// The program's dialog template, in the given language or in the one the platform picks; null when
// there is none.
const void *dialogTemplate(UINT id, const LANGID *language = nullptr) {
    const LPCWSTR dialog = MAKEINTRESOURCEW(5);
    HRSRC found = language ? ::FindResourceExW(nullptr, dialog, MAKEINTRESOURCEW(id), *language)
                           : ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), dialog);
    return found ? ::LockResource(::LoadResource(nullptr, found)) : nullptr;
}

// A device context holding the font a control draws its text with.
class ControlText {
  public:
    explicit ControlText(HWND control) : m_control(control), m_dc(::GetDC(control)) {
        m_old = ::SelectObject(m_dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        ::GetTextMetricsW(m_dc, &m_metrics);
    }
    ~ControlText() {
        ::SelectObject(m_dc, m_old);
        ::ReleaseDC(m_control, m_dc);
    }
    ControlText(const ControlText &) = delete;
    ControlText &operator=(const ControlText &) = delete;

    int lineHeight() const { return m_metrics.tmHeight; }
    bool bold() const { return m_metrics.tmWeight >= FW_BOLD; }

    // The text's size broken only where it breaks its lines itself.
    SIZE unwrapped(const std::wstring &text, UINT flags = 0) const {
        RECT r{0, 0, 0, 0};
        ::DrawTextW(m_dc, text.c_str(), -1, &r, DT_CALCRECT | DT_EXPANDTABS | flags);
        return {width(r), height(r)};
    }
    // The text wrapped at words within the given width, as a static draws it; wider than that when
    // a word does not fit a line.
    SIZE wrapped(const std::wstring &text, int within, UINT flags = 0) const {
        RECT r{0, 0, within, 0};
        ::DrawTextW(m_dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | flags);
        return {width(r), height(r)};
    }

  private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
    TEXTMETRICW m_metrics{};
};

// What the select-media page puts in a list, each with the widest drive letter.
std::wstring widestEntry(const ControlText &font, int list) {
    std::wstring widest;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        std::wstring entry = std::wstring(1, letter) + L": ";
        entry += list == IDC_SOURCE_COMBO ? std::wstring(kLongVolumeLabel) : std::wstring(L"(32999 MB)");
        if (font.unwrapped(entry).cx > font.unwrapped(widest).cx)
            widest = entry;
    }
    return widest;
}

// The wizard sheet as the program creates it, kept hidden, with a disc's definition read and the
// licence beside the program, showing one page at a time as the user reaches it.
class RunningSheet {
  public:
    explicit RunningSheet(const char *disc) : m_program(m_folder.path()) {
        m_folder.write("eula.en", "Licence.\r\n");
        m_folder.write("eula.ja", "Licence.\r\n");
        m_folder.write("usbcreator.xml",
                       std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cd_definition>") + disc +
                           "</cd_definition>\n");
        m_sheet = std::make_unique<CWizard97>(106, nullptr, 0);
        m_read = m_sheet->m_mediaDefinition.ParseDefinitionFile((m_folder / "usbcreator.xml").c_str());
        m_app.m_pMainWnd = m_sheet.get();
        m_created = m_sheet->Create(nullptr, kWizardWindowStyle & ~WS_VISIBLE, 0);
        PumpMessages();
    }
    ~RunningSheet() {
        m_sheet.reset();
        PumpMessages();
    }
    RunningSheet(const RunningSheet &) = delete;
    RunningSheet &operator=(const RunningSheet &) = delete;

    bool ready() const { return m_read && m_created; }
    const CString &discName() const { return m_sheet->m_mediaDefinition.name; }
    const std::vector<MessageBoxRecorder::Box> &boxes() const { return m_boxes.boxes(); }

    // The page's window, made current by the sheet; null when the sheet has no such page.
    HWND show(UINT id) {
        for (int index = 0; index < m_sheet->GetPageCount(); ++index) {
            auto *page = static_cast<CDKPropertyPage *>(m_sheet->GetPage(index));
            if (page->m_nIDD != id)
                continue;
            m_sheet->SetActivePage(index);
            PumpMessages();
            return page->m_hWnd;
        }
        return nullptr;
    }

  private:
    ScratchFolder m_folder;
    ProgramInFolder m_program;
    MessageBoxRecorder m_boxes;
    CWinApp m_app;
    std::unique_ptr<CWizard97> m_sheet;
    bool m_read = false;
    BOOL m_created = FALSE;
};

// Notes each text of a page that needs more than the room its control gives it.
class Misfits {
  public:
    // Measures every text of every control of the page as it stands.
    void measurePage(HWND page) {
        for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            measureControl(child, textOf(child));
    }

    std::string report() const {
        std::string all;
        for (const std::string &line : m_lines)
            all += line;
        return all;
    }
    int measurements() const { return m_measurements; }
    int bold() const { return static_cast<int>(m_bold.size()); }

  private:
    void measureControl(HWND control, const std::wstring &text);
    void note(int id, const std::wstring &text, const char *dimension, int needed, int margin, int room) {
        ++m_measurements;
        if (needed + margin <= room)
            return;
        std::ostringstream line;
        line << "control " << id << " \"" << ToUtf8(text) << "\": " << dimension << " " << needed << " + "
             << margin << " px needed, " << room << " px there\n";
        m_lines.insert(line.str());
    }
    void unmeasured(int id, const char *what) {
        m_lines.insert("control " + std::to_string(id) + ": no " + what + " to measure\n");
    }

    // Repeated pages measure the same texts again; a misfit is told once.
    std::set<std::string> m_lines;
    std::set<int> m_bold;
    int m_measurements = 0;
};

void Misfits::measureControl(HWND control, const std::wstring &text) {
    char cls[32] = {};
    ::GetClassNameA(control, cls, sizeof(cls));
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    const int id = static_cast<short>(::GetDlgCtrlID(control));
    RECT client{};
    ::GetClientRect(control, &client);
    ControlText font(control);
    // A radio or check box's text starts after its box and a small gap.
    const int checkInset = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;

    if (_stricmp(cls, "Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        const bool isText = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                            type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
        if (!isText)
            return;
        // A static breaks its lines at words unless its style keeps the text on one line.
        const bool wraps =
            (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && !(style & SS_CENTERIMAGE);
        if (text.empty()) {
            // Every text control but one gets its text from its template or its page.
            if (id != kNeverSet)
                unmeasured(id, "text");
            return;
        }
        if (font.bold())
            m_bold.insert(id);
        const UINT flags = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        if (!wraps || height(client) < 2 * font.lineHeight()) {
            const SIZE size = font.unwrapped(text, flags);
            note(id, text, "width", size.cx, kMargin, width(client));
            note(id, text, "height", size.cy, 0, height(client));
        } else {
            // A wrapped text keeps its margin at the side, where the words break.
            const int within = width(client) - kMargin;
            const SIZE size = font.wrapped(text, within, flags);
            note(id, text, "wrapped width", size.cx, 0, within);
            note(id, text, "wrapped height", size.cy, kWrappedSpare, height(client));
        }
    } else if (_stricmp(cls, "Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (text.empty() || type == BS_GROUPBOX)
            return;
        if (font.bold())
            m_bold.insert(id);
        const bool pushButton = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
        const SIZE size = font.unwrapped(text);
        note(id, text, "width", size.cx, kMargin,
             width(client) - (pushButton ? 2 * kPushButtonInset : checkInset));
        note(id, text, "height", size.cy, 0, height(client) - (pushButton ? 2 * kPushButtonInset : 0));
    } else if (_stricmp(cls, "ComboBox") == 0) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (!::GetComboBoxInfo(control, &info)) {
            unmeasured(id, "list");
            return;
        }
        const std::wstring entry = widestEntry(font, id);
        note(id, entry, "list entry width", font.unwrapped(entry).cx, kMargin, width(info.rcItem));
    }
}

class DialogFitLocale : public ::testing::TestWithParam<UINT> {
  protected:
    static void SetUpTestSuite() {
        ::InitCommonControls();
        AfxInitRichEdit2();
    }
};

TEST_P(DialogFitLocale, EveryTextAndListEntryFitsItsControl) {
    const UINT id = GetParam();
    // A locale run that fell back to English would measure English and pass.
    ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultUILanguage()), runUserInterfaceLanguage())
        << "LC_ALL=" << RunLocale();
    const LANGID language = pagesLanguage();
    ASSERT_NE(dialogTemplate(id, &language), nullptr);
    ASSERT_EQ(dialogTemplate(id), dialogTemplate(id, &language))
        << "the sheet builds the page from another language's template";
    std::string title;
    std::string titleInLanguage;
    ASSERT_TRUE(LoadResourceString(IDS_KEY_WILL_BE_CREATED, title));
    ASSERT_TRUE(LoadResourceString(IDS_KEY_WILL_BE_CREATED, titleInLanguage, language));
    ASSERT_EQ(title, titleInLanguage) << "the pages load another language's texts";

    Misfits misfits;
    std::string names;
    for (const char *disc : kDemoDiscs) {
        RunningSheet sheet(disc);
        ASSERT_TRUE(sheet.ready());
        HWND page = sheet.show(id);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(sheet.boxes().size(), 0u) << sheet.boxes().front().text;
        names += " \"" + std::string(static_cast<const char *>(sheet.discName())) + "\"";
        if (id != IDD_FORMAT) {
            misfits.measurePage(page);
            continue;
        }
        // The status line is empty until the build sets it; the page is measured in each step.
        for (UINT status : kStatusTexts) {
            // As the page sets it: the table's text in the system's code page.
            std::string shown;
            ASSERT_TRUE(LoadResourceString(status, shown));
            ::SetWindowTextA(::GetDlgItem(page, IDC_STATUS_LINE), shown.c_str());
            misfits.measurePage(page);
        }
    }
    EXPECT_TRUE(misfits.report().empty()) << misfits.report() << misfits.measurements() << " measurements, "
                                          << misfits.bold() << " controls in bold, with the discs" << names;
}

INSTANTIATE_TEST_SUITE_P(Pages, DialogFitLocale, ::testing::ValuesIn(kPages),
                         [](const auto &info) { return name(info.param); });

} // namespace
