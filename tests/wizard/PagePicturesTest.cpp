// Every page in the language the platform picks: its texts must have glyphs in the fonts they are
// drawn with, and a picture of it goes to screenshots/<language>/ in the build tree for a look.
// The locale runs repeat this under LC_ALL=ja_JP.UTF-8.
#include "WizardSheetFixture.h"

#include "support/win32/Utf8.h"
#include "support/win32/WindowPicture.h"

#include <cstdint>
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

// The window's pixels, read from the screen or from what the window itself drew.
std::vector<std::uint32_t> windowPixels(HWND window, bool fromTheScreen) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC source = fromTheScreen ? ::GetDC(nullptr) : ::GetWindowDC(window);
    HDC memory = ::CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    std::vector<std::uint32_t> pixels;
    if (bits && ::BitBlt(memory, 0, 0, width, height, source, fromTheScreen ? rect.left : 0,
                         fromTheScreen ? rect.top : 0, SRCCOPY)) {
        const auto *first = static_cast<const std::uint32_t *>(bits);
        for (const auto *pixel = first; pixel != first + width * height; ++pixel)
            pixels.push_back(*pixel & 0xFFFFFF);
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(fromTheScreen ? nullptr : window, source);
    return pixels;
}

// How many of the window's pixels the screen shows otherwise than the window drew them: a picture
// of the screen shows the page only once what the page drew has reached it.
size_t pixelsNotOnTheScreen(HWND window) {
    std::vector<std::uint32_t> drawn = windowPixels(window, false), shown = windowPixels(window, true);
    if (drawn.empty() || drawn.size() != shown.size())
        return SIZE_MAX; // nothing to compare
    size_t differ = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        differ += drawn[i] != shown[i];
    return differ;
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
        ASSERT_TRUE(PumpPostedMessages());
        EXPECT_EQ(pixelsNotOnTheScreen(sheet->m_hWnd), 0u) << "the picture would not show what the page drew";
        EXPECT_TRUE(SaveWindowPicture(sheet->m_hWnd, folder + std::to_string(page->m_nIDD) + ".png"));

        // Shown in turn without their Next, which would check a source and build a key.
        if (index + 1 < sheet->GetPageCount())
            sheet->SetActivePage(index + 1);
        PumpMessages();
    }
}

} // namespace
