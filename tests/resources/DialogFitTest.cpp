// Every text of every page dialog fits its control, measured with the dialog's own font in the
// language the platform picks for the run (the locale runs repeat this in Japanese): one-line texts
// across, wrapped texts down, and the entries the select-media page puts in its lists.
#include "framework/Startup.h"
#include "resources/resource.h"
#include "support/win32/Utf8.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <sstream>
#include <string>

namespace {

// Room kept beyond the measured text: the fonts this is measured with are not those of every user.
constexpr int kMargin = 4;
// A push button's frame and focus rectangle take this much on each side.
constexpr int kPushButtonInset = 3;
// A CD/DVD entry holds a volume label of up to this many characters.
const wchar_t kLongVolumeLabel[] = L"SAMPLE_RESCUE_CD";

struct FitCase {
    UINT dialog;
    LANGID language;
};

std::string name(const FitCase &c) {
    return std::to_string(c.dialog) + (PRIMARYLANGID(c.language) == LANG_JAPANESE ? "_ja" : "_en");
}

void PrintTo(const FitCase &c, std::ostream *out) { *out << name(c); }

const UINT kPages[] = {IDD_SPLASH,   IDD_EULA,   IDD_TASK,    IDD_INSERT_MEDIA,
                       IDD_FIND_KEY, IDD_FORMAT, IDD_COMPLETE};

// Text widths depend on the fonts the locale brings, so a run measures the dialogs of the language
// its locale selects: English in the plain run, Japanese in the Japanese locale run.
std::vector<FitCase> fitCases() {
    const LANGID language = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE
                                ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    std::vector<FitCase> cases;
    for (UINT page : kPages)
        cases.push_back({page, language});
    return cases;
}

std::wstring textOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

int width(const RECT &r) { return r.right - r.left; }
int height(const RECT &r) { return r.bottom - r.top; }

// The one dialog of one language, built as a child of a hidden window, with a device context
// holding the dialog's font.
class BuiltDialog {
  public:
    BuiltDialog(UINT id, LANGID language) {
        HRSRC found = ::FindResourceExA(nullptr, RT_DIALOG, MAKEINTRESOURCEA(id), language);
        if (!found)
            return;
        auto *dialogTemplate = static_cast<LPCDLGTEMPLATEW>(::LockResource(::LoadResource(nullptr, found)));
        m_parent = ::CreateWindowA("Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        // A Unicode dialog keeps the texts as the template holds them.
        m_dialog = ::CreateDialogIndirectParamW(
            ::GetModuleHandleA(nullptr), dialogTemplate, m_parent,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        if (!m_dialog)
            return;
        m_dc = ::GetDC(m_dialog);
        m_old = ::SelectObject(m_dc, reinterpret_cast<HFONT>(::SendMessageW(m_dialog, WM_GETFONT, 0, 0)));
        ::GetTextMetricsW(m_dc, &m_metrics);
    }
    ~BuiltDialog() {
        if (m_dc) {
            ::SelectObject(m_dc, m_old);
            ::ReleaseDC(m_dialog, m_dc);
        }
        if (m_dialog)
            ::DestroyWindow(m_dialog);
        if (m_parent)
            ::DestroyWindow(m_parent);
    }
    BuiltDialog(const BuiltDialog &) = delete;
    BuiltDialog &operator=(const BuiltDialog &) = delete;

    HWND window() const { return m_dialog; }
    int lineHeight() const { return m_metrics.tmHeight; }

    // The text's size on one line.
    SIZE oneLine(const std::wstring &text) const {
        RECT r{0, 0, 0, 0};
        ::DrawTextW(m_dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        return {width(r), height(r)};
    }
    // The height of the text wrapped at words within the given width, as a static draws it.
    int wrappedHeight(const std::wstring &text, int within) const {
        RECT r{0, 0, within, 0};
        ::DrawTextW(m_dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
        return height(r);
    }

  private:
    HWND m_parent = nullptr;
    HWND m_dialog = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
    TEXTMETRICW m_metrics{};
};

// What the select-media page puts in a list, each with the widest drive letter.
std::wstring widestEntry(const BuiltDialog &dialog, int list) {
    std::wstring widest;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        std::wstring entry = std::wstring(1, letter) + L": ";
        entry += list == IDC_SOURCE_COMBO ? std::wstring(kLongVolumeLabel) : std::wstring(L"(32999 MB)");
        if (dialog.oneLine(entry).cx > dialog.oneLine(widest).cx)
            widest = entry;
    }
    return widest;
}

class DialogFitLocale : public ::testing::TestWithParam<FitCase> {
  protected:
    static void SetUpTestSuite() {
        ::InitCommonControls();
        AfxInitRichEdit2();
    }
};

TEST_P(DialogFitLocale, EveryTextAndListEntryFitsItsControl) {
    const FitCase &c = GetParam();
    BuiltDialog dialog(c.dialog, c.language);
    ASSERT_NE(dialog.window(), nullptr);

    // A radio or check box's text starts after its box and a small gap.
    const int checkInset = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;
    std::ostringstream misfits;
    int measured = 0;
    for (HWND child = ::GetWindow(dialog.window(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        ::GetClassNameA(child, cls, sizeof(cls));
        const std::string kind = cls;
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        const int id = static_cast<short>(::GetDlgCtrlID(child));
        RECT client{};
        ::GetClientRect(child, &client);
        const std::wstring text = textOf(child);
        // Notes a text that needs more than the room there, its margin included.
        auto measure = [&](const std::wstring &what, const char *dimension, int needed, int margin,
                           int room) {
            ++measured;
            if (needed + margin > room)
                misfits << "control " << id << " \"" << ToUtf8(what) << "\": " << dimension << " " << needed
                        << " + " << margin << " px needed, " << room << " px there\n";
        };

        if (kind == "Static") {
            const LONG type = style & SS_TYPEMASK;
            const bool isText = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                                type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
            if (!isText || text.empty())
                continue;
            // A wrapped text keeps its margin at the side, where the words break.
            if (height(client) < 2 * dialog.lineHeight())
                measure(text, "width", dialog.oneLine(text).cx, kMargin, width(client));
            else
                measure(text, "wrapped height", dialog.wrappedHeight(text, width(client) - kMargin), 0,
                        height(client));
        } else if (_stricmp(cls, "Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            if (text.empty() || type == BS_GROUPBOX)
                continue;
            const bool pushButton = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
            const int room = width(client) - (pushButton ? 2 * kPushButtonInset : checkInset);
            measure(text, "width", dialog.oneLine(text).cx, kMargin, room);
        } else if (_stricmp(cls, "ComboBox") == 0) {
            COMBOBOXINFO info{};
            info.cbSize = sizeof(info);
            ASSERT_TRUE(::GetComboBoxInfo(child, &info));
            std::wstring entry = widestEntry(dialog, id);
            measure(entry, "list entry width", dialog.oneLine(entry).cx, kMargin, width(info.rcItem));
        }
    }
    EXPECT_EQ(misfits.str(), "") << measured << " texts measured with a line height of "
                                 << dialog.lineHeight() << " px";
}

INSTANTIATE_TEST_SUITE_P(Pages, DialogFitLocale, ::testing::ValuesIn(fitCases()),
                         [](const auto &info) { return name(info.param); });

} // namespace
