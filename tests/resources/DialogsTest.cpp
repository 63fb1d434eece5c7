// The dialogs and art: every page dialog in both languages with the same control ids, the English
// captions, and the pictures, icon and animation the pages load.
#include "framework/Startup.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct DialogCase {
    UINT id;
    const char *caption;
    std::set<int> controls;
};

void PrintTo(const DialogCase &c, std::ostream *out) { *out << c.id; }

const DialogCase dialogs[] = {
    {IDD_SPLASH, "Orvella 2.0", {IDC_WELCOME_BITMAP}},
    {IDD_EULA, "Orvella 2.0 - End-User License Agreement", {IDC_EULA_TEXT, IDC_AGREE, IDC_DISAGREE}},
    {IDD_TASK, "Orvella 2.0 - Task", {IDC_TASK_CREATE, IDC_TASK_ADD}},
    {IDD_INSERT_MEDIA, "Orvella 2.0 - Insert Media", {IDC_CAUTION}},
    {IDD_FIND_KEY,
     "Orvella 2.0 - Select Media",
     {IDC_SOURCE_CHOOSE_TEXT, IDC_CD_DRIVE_RADIO, IDC_CD_DRIVE_LABEL, IDC_SOURCE_COMBO, IDC_RESCAN_SOURCE,
      IDC_ISO_FILE_RADIO, IDC_FROM_FILE_LABEL, IDC_ISO_PATH, IDC_BROWSE_ISO, IDC_TARGET_CHOOSE_TEXT,
      IDC_TARGET_LABEL, IDC_TARGET_COMBO, IDC_RESCAN_TARGET, IDC_INFO_TEXT}},
    {IDD_FORMAT,
     "Orvella 2.0 - Format/Copy",
     {IDC_STATUS_LINE, IDC_TITLE_LINE, IDC_COPY_ANIMATION, IDC_WARNING}},
    {IDD_COMPLETE, "Orvella 2.0 - Complete", {IDC_VIEW_README, IDC_VIEW_LOG, IDC_RESULT_LINE}},
};

struct Control {
    int id;
    std::wstring text;
    LONG type;    // the static control type (SS_BITMAP, SS_ETCHEDHORZ, ...), else 0
    SIZE picture; // the size of a picture control's bitmap
    LONG left;    // in the dialog's client area
    std::string windowClass;
};

struct Built {
    std::wstring caption;
    std::set<int> controls;
    // Every child in creation order, with its id (-1 for the unnamed ones) and its text; a
    // picture control's text is the id of its picture, so it is left out.
    std::vector<Control> children;
    bool made = false;
};

// Builds the dialog of one language as a child of a hidden window and reads it back.
Built build(UINT id, LANGID language) {
    Built built;
    HRSRC found = ::FindResourceExA(nullptr, RT_DIALOG, MAKEINTRESOURCEA(id), language);
    if (!found)
        return built;
    auto *dialogTemplate = static_cast<LPCDLGTEMPLATEW>(::LockResource(::LoadResource(nullptr, found)));
    HWND parent = ::CreateWindowA("Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    // A Unicode dialog keeps the texts as the template holds them, whatever the run's code page;
    // the program's own module is where its pictures come from.
    HWND dialog = ::CreateDialogIndirectParamW(
        ::GetModuleHandleA(nullptr), dialogTemplate, parent,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (dialog) {
        built.made = true;
        wchar_t caption[128] = {};
        ::GetWindowTextW(dialog, caption, 128);
        built.caption = caption;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            int id = ::GetDlgCtrlID(child);
            if (id == 0xFFFF)
                id = -1;
            if (id != -1)
                built.controls.insert(id);
            char cls[32] = {};
            ::GetClassNameA(child, cls, sizeof(cls));
            bool isStatic = std::string(cls) == "Static";
            LONG type = isStatic ? ::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK : 0;
            wchar_t text[512] = {};
            SIZE picture{};
            if (isStatic && type == SS_BITMAP) {
                BITMAP bitmap{};
                auto image = reinterpret_cast<HBITMAP>(::SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
                if (image && ::GetObjectA(image, sizeof(bitmap), &bitmap))
                    picture = {bitmap.bmWidth, bitmap.bmHeight};
            } else if (!isStatic || type != SS_ICON) {
                ::GetWindowTextW(child, text, 512);
            }
            RECT rect{};
            ::GetWindowRect(child, &rect);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
            built.children.push_back({id, text, type, picture, rect.left, cls});
        }
        ::DestroyWindow(dialog);
    }
    ::DestroyWindow(parent);
    return built;
}

class DialogTextsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ::InitCommonControls();
        AfxInitRichEdit2();
    }
};

class DialogsTest : public DialogTextsTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(DialogsTest, BothLanguagesCarryTheControlIdsAndTheirOwnCaption) {
    const DialogCase &c = GetParam();
    Built english = build(c.id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    Built japanese = build(c.id, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_TRUE(english.made);
    ASSERT_TRUE(japanese.made);
    EXPECT_EQ(english.controls, c.controls);
    EXPECT_EQ(japanese.controls, c.controls);
    std::wstring expected(c.caption, c.caption + std::string(c.caption).size());
    EXPECT_EQ(english.caption, expected);
    EXPECT_EQ(japanese.caption.rfind(L"Orvella 2.0", 0), 0u) << "the product name stays as it is";
    if (c.id != IDD_SPLASH) {
        EXPECT_NE(japanese.caption, english.caption) << "the Japanese caption is translated";
    }
}

SIZE bitmapSize(UINT id) {
    BITMAP bitmap{};
    HBITMAP loaded = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    ::GetObjectA(loaded, sizeof(bitmap), &bitmap);
    ::DeleteObject(loaded);
    return {bitmap.bmWidth, bitmap.bmHeight};
}

bool operator==(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

// The welcome page is its one picture; every other page has the banner, left half then right half,
// above an etched line.
TEST_P(DialogsTest, CarriesTheWelcomePictureOrTheBannerInBothLanguages) {
    for (LANGID language :
         {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
        SCOPED_TRACE(language);
        Built built = build(GetParam().id, language);
        ASSERT_TRUE(built.made);
        std::vector<const Control *> pictures;
        int lines = 0;
        for (const Control &control : built.children) {
            if (control.type == SS_BITMAP)
                pictures.push_back(&control);
            lines += control.type == SS_ETCHEDHORZ;
        }
        if (GetParam().id == IDD_SPLASH) {
            ASSERT_EQ(built.children.size(), 1u);
            ASSERT_EQ(pictures.size(), 1u);
            EXPECT_TRUE(pictures[0]->picture == bitmapSize(IDB_WELCOME));
            continue;
        }
        ASSERT_EQ(pictures.size(), 2u);
        EXPECT_TRUE(pictures[0]->picture == bitmapSize(IDB_BANNER_LEFT));
        EXPECT_TRUE(pictures[1]->picture == bitmapSize(IDB_BANNER_RIGHT));
        EXPECT_EQ(pictures[0]->left, 0);
        EXPECT_GT(pictures[1]->left, pictures[0]->left);
        EXPECT_EQ(lines, 1);
    }
}

std::wstring wide(const char *text) {
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}

// The English texts the pages are known by, word for word: a control's own text, or (id -1) the
// text of one of the dialog's unnamed statics.
struct TextCase {
    UINT dialog;
    int id;
    const char *text;
};

const TextCase englishTexts[] = {
    {IDD_EULA, IDC_AGREE, "Agree"},
    {IDD_EULA, IDC_DISAGREE, "Disagree"},
    {IDD_TASK, -1, "Please select the task below that you wish to perform and press the Next button."},
    {IDD_TASK, IDC_TASK_CREATE, "Create a bootable USB key from CD/DVD."},
    {IDD_TASK, -1,
     "This task will format the USB key and transfer the contents of a supported bootable KX CD/DVD to a "
     "USB key.  The USB key must be large enough to hold the contents of the CD/DVD."},
    {IDD_TASK, IDC_TASK_ADD, "Add an additional CD/DVD to a bootable USB key."},
    {IDD_TASK, -1,
     "This task will transfer the contents of an additional supported bootable KX CD/DVD to a USB key.  The "
     "USB key must have enough free space to hold the contents of the CD/DVD."},
    {IDD_INSERT_MEDIA, -1,
     "This utility will create a bootable USB key based upon a Orvella supported CD/DVD. The KX Brightlane "
     "CD or KX Quillon CD/DVD are examples of supported CD/DVDs.  The USB key can be used in place of the "
     "CD/DVD."},
    {IDD_INSERT_MEDIA, -1, "This utility requires:"},
    {IDD_INSERT_MEDIA, -1,
     "1) A support KX CD/DVD. Please see the Readme file for supported CD/DVD products and versions of "
     "supported features for each product."},
    {IDD_INSERT_MEDIA, -1, "2) A USB key large enough to store the contents of the CD/DVD."},
    {IDD_INSERT_MEDIA, -1, "Please insert the USB key and supported KX CD/DVD."},
    {IDD_INSERT_MEDIA, IDC_CAUTION,
     "CAUTION: Please note this utility is data destructive.  Backup the contents of the USB key before "
     "proceeding."},
    {IDD_FIND_KEY, IDC_SOURCE_CHOOSE_TEXT, "Choose the source of the CD/DVD:"},
    {IDD_FIND_KEY, IDC_CD_DRIVE_RADIO, "Select CD/DVD drive:"},
    {IDD_FIND_KEY, IDC_CD_DRIVE_LABEL, "CD/DVD Drive Letter:"},
    {IDD_FIND_KEY, IDC_RESCAN_SOURCE, "Rescan Source"},
    {IDD_FIND_KEY, IDC_ISO_FILE_RADIO, "Browse for ISO file:"},
    {IDD_FIND_KEY, IDC_FROM_FILE_LABEL, "From file:"},
    {IDD_FIND_KEY, IDC_BROWSE_ISO, "..."},
    {IDD_FIND_KEY, IDC_TARGET_CHOOSE_TEXT, "Choose the drive letter of the target USB key:"},
    {IDD_FIND_KEY, IDC_TARGET_LABEL, "USB Key Drive Letter:"},
    {IDD_FIND_KEY, IDC_RESCAN_TARGET, "Rescan Target"},
    {IDD_FIND_KEY, IDC_INFO_TEXT, ""},
    {IDD_FORMAT, -1,
     "Creating the key may take several minutes.  Press the 'Next' button to create the USB key."},
    {IDD_FORMAT, IDC_WARNING, "WARNING: All data on the target USB key will be deleted."},
    {IDD_COMPLETE, -1, "The USB key is now ready to be used."},
    {IDD_COMPLETE, IDC_VIEW_README, "View Readme File"},
    {IDD_COMPLETE, IDC_VIEW_LOG, "View Log File"},
};

TEST_F(DialogTextsTest, EnglishDialogsCarryTheirTextsWordForWord) {
    for (const TextCase &c : englishTexts) {
        SCOPED_TRACE(std::to_string(c.dialog) + " " + std::to_string(c.id) + " " + c.text);
        Built english = build(c.dialog, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        ASSERT_TRUE(english.made);
        bool found = false;
        for (const Control &control : english.children)
            found = found || (control.id == c.id && control.text == wide(c.text));
        EXPECT_TRUE(found);
    }
}

// What the pages rely on of their controls' kinds and first states: bits under mask must be value.
struct StyleCase {
    UINT dialog;
    int id;
    const char *windowClass;
    DWORD mask;
    DWORD value;
};

constexpr DWORD kButtonKind = BS_TYPEMASK | WS_GROUP;
constexpr DWORD kCentred = SS_TYPEMASK;
constexpr DWORD kList = CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL;

const StyleCase styles[] = {
    {IDD_EULA, IDC_EULA_TEXT, "RichEdit20A", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER,
     ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_BORDER},
    {IDD_EULA, IDC_AGREE, "Button", kButtonKind, BS_AUTORADIOBUTTON | WS_GROUP},
    {IDD_EULA, IDC_DISAGREE, "Button", kButtonKind, BS_AUTORADIOBUTTON},
    {IDD_TASK, IDC_TASK_CREATE, "Button", BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {IDD_TASK, IDC_TASK_ADD, "Button", BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {IDD_INSERT_MEDIA, IDC_CAUTION, "Static", kCentred, SS_CENTER},
    {IDD_FIND_KEY, IDC_CD_DRIVE_RADIO, "Button", BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {IDD_FIND_KEY, IDC_ISO_FILE_RADIO, "Button", BS_TYPEMASK, BS_AUTORADIOBUTTON},
    {IDD_FIND_KEY, IDC_SOURCE_COMBO, "ComboBox", kList, kList},
    {IDD_FIND_KEY, IDC_TARGET_COMBO, "ComboBox", kList, kList},
    {IDD_FIND_KEY, IDC_FROM_FILE_LABEL, "Static", WS_DISABLED, WS_DISABLED},
    {IDD_FIND_KEY, IDC_ISO_PATH, "Edit", WS_BORDER | ES_AUTOHSCROLL | WS_DISABLED,
     WS_BORDER | ES_AUTOHSCROLL | WS_DISABLED},
    {IDD_FIND_KEY, IDC_BROWSE_ISO, "Button", WS_DISABLED, WS_DISABLED},
    {IDD_FIND_KEY, IDC_INFO_TEXT, "Static", kCentred, SS_CENTER},
    {IDD_FORMAT, IDC_TITLE_LINE, "Static", kCentred, SS_CENTER},
    {IDD_FORMAT, IDC_STATUS_LINE, "Static", kCentred, SS_CENTER},
    {IDD_FORMAT, IDC_WARNING, "Static", kCentred, SS_CENTER},
    {IDD_FORMAT, IDC_COPY_ANIMATION, ANIMATE_CLASSA, ACS_CENTER | ACS_TRANSPARENT,
     ACS_CENTER | ACS_TRANSPARENT},
    {IDD_COMPLETE, IDC_RESULT_LINE, "Static", kCentred, SS_CENTER},
    {IDD_COMPLETE, IDC_VIEW_README, "Button", BS_TYPEMASK, BS_AUTOCHECKBOX},
    {IDD_COMPLETE, IDC_VIEW_LOG, "Button", BS_TYPEMASK, BS_AUTOCHECKBOX},
};

// The styles the template gives each control by id, as written: the windows drop some bits (a
// border becomes an edge, an unneeded scroll bar goes).
std::map<int, DWORD> templateStyles(UINT dialog, LANGID language) {
    std::map<int, DWORD> styles;
    HRSRC found = ::FindResourceExA(nullptr, RT_DIALOG, MAKEINTRESOURCEA(dialog), language);
    if (!found)
        return styles;
    auto *at = static_cast<const BYTE *>(::LockResource(::LoadResource(nullptr, found)));
    auto word = [&at] {
        WORD w;
        std::memcpy(&w, at, 2);
        at += 2;
        return w;
    };
    auto dword = [&at] {
        DWORD d;
        std::memcpy(&d, at, 4);
        at += 4;
        return d;
    };
    auto skipNameOrOrdinal = [&] {
        WORD first = word();
        if (first == 0xFFFF)
            word();
        else
            while (first != 0)
                first = word();
    };
    const BYTE *start = at;
    if (word() != 1 || word() != 0xFFFF)
        return styles; // only the extended templates the resource script writes
    dword();           // help id
    dword();           // extended style
    DWORD style = dword();
    WORD items = word();
    at += 8;             // position and size
    skipNameOrOrdinal(); // menu
    skipNameOrOrdinal(); // class
    skipNameOrOrdinal(); // caption
    if (style & DS_SETFONT) {
        at += 6;
        skipNameOrOrdinal(); // typeface
    }
    for (WORD i = 0; i < items; ++i) {
        at = start + ((at - start + 3) & ~3);
        dword(); // help id
        dword(); // extended style
        DWORD itemStyle = dword();
        at += 8;
        int id = static_cast<int>(dword());
        skipNameOrOrdinal(); // class
        skipNameOrOrdinal(); // text
        at += word();        // creation data
        styles[id] = itemStyle;
    }
    return styles;
}

TEST_F(DialogTextsTest, ControlsAreOfTheirKindAndStartAsThePagesExpectInBothLanguages) {
    for (LANGID language :
         {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
        for (const StyleCase &c : styles) {
            SCOPED_TRACE(std::to_string(language) + " " + std::to_string(c.dialog) + " " +
                         std::to_string(c.id));
            Built built = build(c.dialog, language);
            ASSERT_TRUE(built.made);
            const Control *control = nullptr;
            for (const Control &child : built.children)
                control = child.id == c.id ? &child : control;
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(_stricmp(control->windowClass.c_str(), c.windowClass), 0) << control->windowClass;
            std::map<int, DWORD> written = templateStyles(c.dialog, language);
            ASSERT_EQ(written.count(c.id), 1u);
            EXPECT_EQ(written[c.id] & c.mask, c.value) << std::hex << written[c.id];
        }
    }
}

// A text carries Japanese when it holds kana or kanji; one that does not was left untranslated, or
// was read in the wrong code page and came out as Latin letters.
bool holdsJapanese(const std::wstring &text) {
    for (wchar_t c : text)
        if (c >= 0x3040 && c <= 0x9FFF)
            return true;
    return false;
}

bool holdsWords(const std::wstring &text) {
    for (wchar_t c : text)
        if (iswalpha(c))
            return true;
    return false;
}

TEST_P(DialogsTest, JapaneseDialogsTranslateEveryTextInTheSameControls) {
    Built english = build(GetParam().id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    Built japanese = build(GetParam().id, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_EQ(japanese.children.size(), english.children.size());
    for (size_t i = 0; i < english.children.size(); ++i) {
        const Control &en = english.children[i];
        const Control &ja = japanese.children[i];
        SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(en.id));
        EXPECT_EQ(ja.id, en.id);
        if (holdsWords(en.text)) {
            EXPECT_TRUE(holdsJapanese(ja.text)) << "untranslated or in the wrong code page";
        } else {
            EXPECT_EQ(ja.text, en.text) << "a text without words, such as \"...\", stays as it is";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, DialogsTest, ::testing::ValuesIn(dialogs),
                         [](const auto &info) { return std::to_string(info.param.id); });

TEST(ArtTest, PicturesIconAndAnimationLoad) {
    for (UINT id : {IDB_BANNER_LEFT, IDB_BANNER_RIGHT, IDB_WELCOME}) {
        HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
        EXPECT_NE(bitmap, nullptr) << id;
        ::DeleteObject(bitmap);
    }
    EXPECT_NE(::LoadIconW(::GetModuleHandleA(nullptr), MAKEINTRESOURCEW(IDI_ORVELLA)), nullptr);
}

// The format page plays clip 170 in the common animation control, which takes only uncompressed
// or run-length encoded clips: the clip must open there.
TEST_F(DialogTextsTest, TheCopyAnimationOpensInTheAnimationControl) {
    HWND parent = ::CreateWindowA("Static", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND animation = ::CreateWindowA(ANIMATE_CLASSA, "", WS_CHILD | ACS_TRANSPARENT, 0, 0, 100, 50, parent,
                                     nullptr, nullptr, nullptr);
    ASSERT_NE(animation, nullptr);
    EXPECT_TRUE(::SendMessageA(animation, ACM_OPENA, reinterpret_cast<WPARAM>(::GetModuleHandleA(nullptr)),
                               reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_COPY_ANIMATION))));
    EXPECT_TRUE(::SendMessageA(animation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, -1)));
    ::SendMessageA(animation, ACM_STOP, 0, 0);
    ::DestroyWindow(parent);
}

TEST(ArtTest, OnlyTheProductCarriesTheManifest) {
    EXPECT_EQ(::FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_MANIFEST), nullptr)
        << "a test executable must run with the default common controls and without elevation";
}

} // namespace
