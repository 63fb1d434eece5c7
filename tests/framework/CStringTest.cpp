// Tests of CString: sharing and detaching, formatting, searching and loading from the string table.
#include "framework/CString.h"
#include "resources/StringIds.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CString, CopiesShareUntilOneChanges) {
    CString a("disc");
    CString b(a);
    EXPECT_EQ(a.GetString(), b.GetString());
    b += " one";
    EXPECT_STREQ("disc", a);
    EXPECT_STREQ("disc one", b);
    a = b;
    EXPECT_EQ(a.GetString(), b.GetString());
    a = "other";
    EXPECT_STREQ("disc one", b);
}

TEST(CString, AppendingItselfAndAssigningPartsOfItself) {
    CString s("ab");
    s += s;
    EXPECT_STREQ("abab", s);
    s = s.Mid(1);
    EXPECT_STREQ("bab", s);
    s = static_cast<const char *>(s) + 1;
    EXPECT_STREQ("ab", s);
}

TEST(CString, EmptyStringsAndNull) {
    CString empty, fromNull(static_cast<const char *>(nullptr)), fromEmpty("");
    for (const CString *s : {&empty, &fromNull, &fromEmpty}) {
        EXPECT_TRUE(s->IsEmpty());
        EXPECT_EQ(0, s->GetLength());
        EXPECT_STREQ("", *s);
    }
    CString s("x");
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, KeepsEmbeddedBytesOfAGivenLength) {
    CString s("a\0b", 3);
    EXPECT_EQ(3, s.GetLength());
    EXPECT_EQ('b', s[2]);
}

TEST(CString, FormatsLongTextsAndPrintfConversions) {
    CString s;
    s.Format("%c:\\%s", 'E', "usb\\create.cmd");
    EXPECT_STREQ("E:\\usb\\create.cmd", s);
    s.Format("[0x%X] %d %s", 0x57u, -3, std::string(1000, 'y').c_str());
    EXPECT_EQ(1000 + 10, s.GetLength());
    EXPECT_EQ(std::string("[0x57] -3 ") + std::string(1000, 'y'), std::string(s));
}

TEST(CString, SearchesAndCompares) {
    CString s("C:\\Tools\\app.exe");
    EXPECT_EQ(2, s.Find('\\'));
    EXPECT_EQ(8, s.ReverseFind('\\'));
    EXPECT_EQ(9, s.Find("app"));
    EXPECT_EQ(-1, s.Find("zip"));
    EXPECT_STREQ("C:\\Tools", s.Left(8));
    EXPECT_STREQ("app", s.Mid(9, 3));
    EXPECT_EQ(0, s.CompareNoCase("c:\\tools\\APP.EXE"));
    EXPECT_TRUE(s == "C:\\Tools\\app.exe");
    EXPECT_TRUE(CString("a") < CString("b"));
    EXPECT_STREQ("x1y", CString("x") + '1' + "y");
}

TEST(CString, LoadStringOfAnIdWithoutTextLeavesItEmpty) {
    CString s("previous");
    EXPECT_FALSE(s.LoadString(IDS_SOCKETS_INIT_FAILED));
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_FALSE(s.LoadString(9999));
}

TEST(CString, FormatTakesTheFormatFromTheStringTable) {
    CString s;
    s.Format(IDS_KEY_FREE_SPACE_TOO_SMALL, 'F', 100, 2048);
    EXPECT_STREQ("The selected USB key (F:) only has 100 MB of free space which is not enough to hold the "
                 "contents of the source CD/DVD.  The source CD/DVD requires 2048 MB.",
                 s);
}

} // namespace
