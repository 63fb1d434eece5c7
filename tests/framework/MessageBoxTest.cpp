// Tests of AfxMessageBox: the text by id or as given, the caption, the owner, the answer.
#include "framework/MessageBox.h"
#include "framework/AppState.h"
#include "resources/StringIds.h"
#include "support/RunLocale.h"
#include "support/win32/MessageBoxRecorder.h"

#include <gtest/gtest.h>

namespace {

HWND testWindow = nullptr;
HWND lookUpTestWindow() { return testWindow; }

TEST(AfxMessageBox, ShowsTextOrTableStringCaptionedWithTheProgramName) {
    MessageBoxRecorder recorder(IDYES);
    EXPECT_EQ(IDYES, AfxMessageBox("plain text", MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(IDYES, AfxMessageBox(IDS_SOCKETS_INIT_FAILED));
    AfxMessageBox(IDS_FORMAT_FAILED, MB_ICONERROR);
    ASSERT_EQ(3u, recorder.boxes().size());
    EXPECT_EQ("plain text", recorder.boxes()[0].text);
    EXPECT_EQ(UINT(MB_YESNOCANCEL | MB_ICONEXCLAMATION), recorder.boxes()[0].type);
    EXPECT_EQ("", recorder.boxes()[1].text);
    EXPECT_EQ(UINT(MB_OK), recorder.boxes()[1].type);
    if (RunLanguage() == "en") {
        EXPECT_EQ("An error occurred while trying to format the USB key.", recorder.boxes()[2].text);
    }
    for (const auto &box : recorder.boxes()) {
        EXPECT_EQ("framework_tests", box.caption);
        EXPECT_EQ(nullptr, box.owner);
    }
}

TEST(AfxMessageBox, IsOwnedByTheMainWindowWhileItExists) {
    testWindow =
        CreateWindowExA(0, "STATIC", "main", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, testWindow);
    AfxSetMainWindowLookup(lookUpTestWindow);
    MessageBoxRecorder recorder;
    AfxMessageBox("owned");
    DestroyWindow(testWindow);
    AfxMessageBox("after the window is gone");
    AfxSetMainWindowLookup(nullptr);
    testWindow = nullptr;
    ASSERT_EQ(2u, recorder.boxes().size());
    EXPECT_NE(nullptr, recorder.boxes()[0].owner);
    EXPECT_EQ(nullptr, recorder.boxes()[1].owner);
}

} // namespace
