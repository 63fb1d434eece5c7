// The select-media page with a CD/DVD drive as the source, on the Wine drive fixture's letters.
#include "../WizardSheetFixture.h"

#include "framework/Resources.h"
#include "support/win32/MessageBoxRecorder.h"
#include "support/win32/WineDrives.h"

namespace {

std::string item(HWND combo, int index) {
    char text[64] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

class SelectMediaDrive : public WizardSheetFixture {
  protected:
    void goToSelectMedia() {
        for (int i = 0; i < 4; ++i) {
            sheet->SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
            PumpMessages();
            press(PSBTN_NEXT);
        }
        ASSERT_EQ(currentId(), 109u);
    }
    HWND sourceCombo() { return ::GetDlgItem(sheet->m_findKeyPage.m_hWnd, IDC_SOURCE_COMBO); }

    MessageBoxRecorder boxes;
    DriveFiles disc{kWineCdromLetter};
};

TEST_F(SelectMediaDrive, ListsTheDriveWithItsLabelAndSelectsItOnlyWithADefinition) {
    goToSelectMedia();
    const std::string listed = std::string(1, kWineCdromLetter) + ": " + kWineCdromLabel;
    ASSERT_EQ(::SendMessageA(sourceCombo(), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(item(sourceCombo(), 0), listed);
    EXPECT_EQ(::SendMessageA(sourceCombo(), CB_GETCURSEL, 0, 0), CB_ERR) << "no definition on the disc";

    std::string noValidDisc;
    LoadResourceString(107, noValidDisc);
    press(PSBTN_NEXT);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, noValidDisc);

    // The drive chosen by hand, still without a definition: the same refusal.
    ::SendMessageA(sourceCombo(), CB_SETCURSEL, 0, 0);
    press(PSBTN_NEXT);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, noValidDisc);

    disc.write("usb\\usbcreator.xml", "<cd_definition><name><name_xlate lang=\"en\">Drive Disc</name_xlate>"
                                      "</name><filesystem_commands/></cd_definition>");
    ::SendMessageA(sourceCombo(), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SendMessageA(::GetDlgItem(sheet->m_findKeyPage.m_hWnd, IDC_RESCAN_SOURCE), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(::SendMessageA(sourceCombo(), CB_GETCURSEL, 0, 0), 0);

    // The source passes and its definition is read; with no key the next check refuses.
    std::string noKeys;
    LoadResourceString(108, noKeys);
    press(PSBTN_NEXT);
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[2].text, noKeys);
    EXPECT_FALSE(sheet->m_mediaDefinition.sourceIsImage);
    EXPECT_EQ(sheet->m_mediaDefinition.sourceLetter, kWineCdromLetter);
    EXPECT_STREQ(sheet->m_mediaDefinition.name, "Drive Disc");
}

} // namespace
