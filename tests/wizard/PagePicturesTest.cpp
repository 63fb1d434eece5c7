// Every page in the language the platform picks: its texts must have glyphs in the fonts they are
// drawn with, and a picture of it goes to screenshots/<language>/ in the build tree for a look.
// The locale runs repeat this under LC_ALL=ja_JP.UTF-8.
#include "WizardSheetFixture.h"

#include "support/win32/Utf8.h"
#include "support/win32/WindowPicture.h"

#include <string>
#include <vector>

namespace {

using PagesLocale = WizardSheetFixture;

std::string languageFolder() {
    switch (PRIMARYLANGID(::GetUserDefaultUILanguage())) {
    case LANG_JAPANESE:
        return "ja";
    case LANG_FRENCH:
        return "fr";
    default:
        return "en";
    }
}

// The characters of the text that the control's font has no glyph for. A picture control's text
// is the id of its picture, not a text.
std::wstring missingGlyphs(HWND control) {
    char cls[32];
    ::GetClassNameA(control, cls, sizeof(cls));
    LONG type = ::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    if (std::string(cls) == "Static" && (type == SS_BITMAP || type == SS_ICON))
        return L"";
    int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    std::wstring missing;
    if (text.empty())
        return missing;
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    std::vector<WORD> glyphs(text.size());
    ::GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                       GGI_MARK_NONEXISTING_GLYPHS);
    for (size_t i = 0; i < text.size(); ++i)
        if (glyphs[i] == 0xFFFF && text[i] > L' ')
            missing += text[i];
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return missing;
}

TEST_F(PagesLocale, EveryPageDrawsItsTextsWithGlyphsAndIsPictured) {
    const std::string folder = "screenshots\\" + languageFolder() + "\\";
    for (int index = 0; index < sheet->GetPageCount(); ++index) {
        auto *page = static_cast<CDKPropertyPage *>(sheet->GetPage(index));
        ASSERT_EQ(sheet->GetActivePage(), page);
        SCOPED_TRACE("page " + std::to_string(page->m_nIDD));
        for (HWND child = ::GetWindow(page->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            EXPECT_EQ(ToUtf8(missingGlyphs(child)), "") << "control " << ::GetDlgCtrlID(child);

        ::SetWindowPos(sheet->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ::RedrawWindow(sheet->m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpUntil([] { return false; }, 150);
        EXPECT_TRUE(SaveWindowPicture(sheet->m_hWnd, folder + std::to_string(page->m_nIDD) + ".png"));

        // Shown in turn without their Next, which would check a source and build a key.
        if (index + 1 < sheet->GetPageCount())
            sheet->SetActivePage(index + 1);
        PumpMessages();
    }
}

} // namespace
