// Tests of Common::string and Common::istring: sharing, detaching, searching, order and split.
#include "common/String.h"

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <string>
#include <vector>

namespace Common {

// Looks at the blocks behind a string, which the public interface keeps hidden.
struct StringProbe {
    static u32 count(const string &s) { return *s.m_countCell; }
    static u64 sizeCell(const string &s) { return *s.m_sizeCell; }
    static bool sharesBlocks(const string &a, const string &b) {
        return a.m_sizeCell == b.m_sizeCell && a.m_countCell == b.m_countCell && a.m_buffer == b.m_buffer;
    }
    static bool sharesNothing(const string &a, const string &b) {
        return a.m_sizeCell != b.m_sizeCell && a.m_countCell != b.m_countCell && a.m_buffer != b.m_buffer;
    }
};

} // namespace Common

namespace {

using Common::istring;
using Common::string;
using Common::StringProbe;
using Common::u64;

const u64 npos = string::npos;

// The whole contents, NUL bytes included, for readable failure messages.
std::string bytes(const string &s) { return std::string(s.c_str(), s.length()); }

std::vector<std::string> pieces(const Common::list<string> &l) {
    std::vector<std::string> out;
    for (Common::list<string>::const_iterator it = l.begin(); it != l.end(); ++it)
        out.push_back(bytes(*it));
    return out;
}

TEST(StringTest, NposIsAllSixtyFourBits) { EXPECT_EQ(npos, UINT64_C(18446744073709551615)); }

TEST(StringTest, EmptyStringOwnsThreeBlocks) {
    string s;
    EXPECT_EQ(s.length(), 0u);
    EXPECT_TRUE(s.empty());
    ASSERT_NE(s.c_str(), nullptr);
    EXPECT_EQ(s.c_str()[0], '\0');
    EXPECT_EQ(StringProbe::sizeCell(s), 1u);
    EXPECT_EQ(StringProbe::count(s), 1u);

    // Two empty strings are made separately, never shared behind the scenes.
    string t;
    EXPECT_TRUE(StringProbe::sharesNothing(s, t));
}

TEST(StringTest, ConstructionAndAssignKeepTheRequestedBytes) {
    struct Case {
        const char *name;
        std::function<string()> make;
        std::string expected;
    };
    const Case cases[] = {
        {"text", [] { return string("abc"); }, "abc"},
        {"explicit count keeps inner NUL", [] { return string("a\0b", 3); }, std::string("a\0b", 3)},
        {"npos stops at the first NUL", [] { return string("a\0b"); }, "a"},
        {"count shorter than the text", [] { return string("abc", 2); }, "ab"},
        {"char", [] { return string('x'); }, "x"},
        {"NUL char gives length 1", [] { return string('\0'); }, std::string(1, '\0')},
        {"assign char", [] { return string("abc").assign('x'); }, "x"},
        {"assign NUL char gives empty", [] { return string("abc").assign('\0'); }, ""},
        {"assign with count", [] { return string().assign("a\0bc", 3); }, std::string("a\0b", 3)},
        {"assign text", [] { return string("zz").assign("abc"); }, "abc"},
        {"clear", [] { return string("abc").clear(); }, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const string s = c.make();
        EXPECT_EQ(bytes(s), c.expected);
        EXPECT_EQ(StringProbe::sizeCell(s), c.expected.size() + 1);
        EXPECT_EQ(s.c_str()[s.length()], '\0');
        EXPECT_EQ(s.empty(), c.expected.empty());
    }
}

TEST(StringTest, CopySharesAndAppendDetaches) {
    string s("abc");
    string t = s;
    EXPECT_TRUE(StringProbe::sharesBlocks(s, t));
    EXPECT_EQ(StringProbe::count(s), 2u);

    t += "x";
    EXPECT_EQ(bytes(s), "abc");
    EXPECT_EQ(bytes(t), "abcx");
    EXPECT_EQ(StringProbe::count(s), 1u);
    EXPECT_EQ(StringProbe::count(t), 1u);
    EXPECT_TRUE(StringProbe::sharesNothing(s, t));
}

TEST(StringTest, IndexingWritesThroughToEveryHolder) {
    string s("abc");
    const string t = s;
    s[0] = 'X';
    EXPECT_EQ(bytes(t), "Xbc");
    EXPECT_EQ(t[3], '\0');
}

// Every change must leave the other holders on the old contents and give both sides a count of 1.
TEST(StringTest, EveryChangeDetachesFromOtherHolders) {
    struct Case {
        const char *name;
        std::function<void(string &)> change;
        std::string expected;
    };
    const Case cases[] = {
        {"assign text", [](string &s) { s.assign("xyz"); }, "xyz"},
        {"assign count", [](string &s) { s.assign("xyz", 2); }, "xy"},
        {"assign char", [](string &s) { s.assign('q'); }, "q"},
        {"clear", [](string &s) { s.clear(); }, ""},
        {"append string", [](string &s) { s += string("de"); }, "abcde"},
        {"append text", [](string &s) { s += "de"; }, "abcde"},
        {"append empty", [](string &s) { s += ""; }, "abc"},
        {"replace", [](string &s) { s.replace(0, 1, string("Z")); }, "Zbc"},
        {"assign a different string", [](string &s) { s = string("other"); }, "other"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const string original("abc");
        string changed = original;
        c.change(changed);
        EXPECT_EQ(bytes(original), "abc");
        EXPECT_EQ(bytes(changed), c.expected);
        EXPECT_EQ(StringProbe::count(original), 1u);
        EXPECT_EQ(StringProbe::count(changed), 1u);
        EXPECT_FALSE(StringProbe::sharesBlocks(original, changed));
    }
}

TEST(StringTest, AssigningItsOwnBlocksKeepsThem) {
    string s("abc");
    string &alias = s;
    s = alias;
    EXPECT_EQ(bytes(s), "abc");
    EXPECT_EQ(StringProbe::count(s), 1u);

    string t = s;
    s = t;
    EXPECT_EQ(bytes(s), "abc");
    EXPECT_EQ(StringProbe::count(s), 2u);
}

TEST(StringTest, SourcesInsideItsOwnBufferAreReadBeforeItIsFreed) {
    for (bool shared : {false, true}) {
        SCOPED_TRACE(shared ? "shared" : "alone");
        string s("abcd");
        string other;
        if (shared)
            other = s;

        s.assign(s.c_str() + 1);
        EXPECT_EQ(bytes(s), "bcd");

        s += s;
        EXPECT_EQ(bytes(s), "bcdbcd");

        s += s.c_str() + 3;
        EXPECT_EQ(bytes(s), "bcdbcdbcd");

        s.replace(1, 1, s);
        EXPECT_EQ(bytes(s), "bbcdbcdbcddbcdbcd");
        if (shared) {
            EXPECT_EQ(bytes(other), "abcd");
        }
    }
}

TEST(StringTest, EqualityAndOrder) {
    struct Case {
        string a;
        string b;
        bool equal;
        bool aLess;
        bool bLess;
    };
    const Case cases[] = {
        {string("abc"), string("abc"), true, false, false},
        {string(""), string(""), true, false, false},
        {string("ab"), string("abc"), false, true, false},
        {string("abd"), string("abc"), false, false, true},
        // Bytes are unsigned: 0xE9 sorts after every ASCII letter.
        {string("a"), string("\xE9"), false, true, false},
        {string("\x7F"), string("\x80"), false, true, false},
        // Equality sees the whole length; order stops at the first NUL.
        {string("a\0b", 3), string("a\0c", 3), false, false, false},
        {string("a"), string("a\0", 2), false, false, false},
        // Case matters for plain strings.
        {string("ABC"), string("abc"), false, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes(c.a)) + " vs " + testing::PrintToString(bytes(c.b)));
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.b == c.a, c.equal);
        EXPECT_EQ(c.a < c.b, c.aLess);
        EXPECT_EQ(c.b < c.a, c.bLess);
    }
}

TEST(StringTest, ComparisonWithTextUsesTheTextUpToItsNul) {
    EXPECT_TRUE(string("abc") == "abc");
    EXPECT_FALSE(string("abc") != "abc");
    EXPECT_TRUE(string("abc") != "ab");
    EXPECT_TRUE(string("ab") != "abc");
    EXPECT_TRUE(string() == "");
    EXPECT_TRUE(string("a\0b", 3) != "a");
    EXPECT_TRUE(string("a") == "a\0b");
}

TEST(StringTest, Find) {
    struct Case {
        const char *text;
        const char *pattern;
        u64 pos;
        u64 expected;
    };
    const Case cases[] = {
        {"abc", "", 2, 2},        {"abc", "", 3, 3},   {"abc", "", 4, npos}, {"abc", "c", 3, npos},
        {"abc", "abcd", 0, npos}, {"abc", "bc", 0, 1}, {"abc", "abc", 0, 0}, {"abab", "ab", 1, 2},
        {"abc", "c", npos, npos}, {"", "", 0, 0},      {"", "a", 0, npos},   {"a\\b\\", "\\", 2, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern + " from " + std::to_string(c.pos));
        const string s(c.text);
        EXPECT_EQ(s.find(c.pattern, c.pos), c.expected);
        EXPECT_EQ(s.find(string(c.pattern), c.pos), c.expected);
    }
}

TEST(StringTest, FindLooksAtEveryByteOfTheLength) {
    const string s("a\0b\0c", 5);
    EXPECT_EQ(s.find("c"), 4u);
    EXPECT_EQ(s.find("\0c", 0, 2), 3u);
    EXPECT_EQ(s.find(string("b\0", 2)), 2u);
    // The text form stops at the pattern's NUL, so it looks for "b" alone.
    EXPECT_EQ(s.find("b\0x"), 2u);
}

TEST(StringTest, Rfind) {
    struct Case {
        const char *text;
        const char *pattern;
        u64 pos;
        u64 expected;
    };
    const Case cases[] = {
        {"a/b/", "/", npos, 3},  {"a/b/", "/", 2, 1},         {"a/b/", "/", 100, 3},
        {"a/b/", "/", 0, npos},  {"", "/", npos, npos},       {"abc", "", npos, 2},
        {"", "", npos, 0},       {"abc", "", 1, 1},           {"abcabc", "abc", npos, 3},
        {"abcabc", "abc", 2, 0}, {"abc", "abcd", npos, npos}, {"abc", "a", 0, 0},
        {"abc", "abc", npos, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern + " from " + std::to_string(c.pos));
        const string s(c.text);
        EXPECT_EQ(s.rfind(c.pattern, c.pos), c.expected);
        EXPECT_EQ(s.rfind(c.pattern, c.pos, std::char_traits<char>::length(c.pattern)), c.expected);
    }
}

TEST(StringTest, SubstrMakesBlocksOfItsOwn) {
    struct Case {
        string source;
        u64 pos;
        u64 n;
        std::string expected;
    };
    const Case cases[] = {
        {string("abc"), 1, npos, "bc"},
        {string("abc"), 1, 1, "b"},
        {string("abc"), 1, 100, "bc"},
        {string("abc"), 3, npos, ""},
        {string("abc"), 0, 0, ""},
        {string("a\0b", 3), 0, npos, "a"},
        {string("a\0b", 3), 0, 3, std::string("a\0b", 3)},
        {string("a\0b", 3), 1, 5, std::string("\0b", 2)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes(c.source)) + " at " + std::to_string(c.pos));
        const string sub = c.source.substr(c.pos, c.n);
        EXPECT_EQ(bytes(sub), c.expected);
        EXPECT_EQ(StringProbe::count(sub), 1u);
        EXPECT_EQ(StringProbe::count(c.source), 1u);
    }
}

TEST(StringTest, Replace) {
    struct Case {
        const char *text;
        u64 pos;
        u64 count;
        const char *with;
        const char *expected;
    };
    const Case cases[] = {
        {"abcd", 1, 2, "XYZ", "aXYZd"}, {"abcd", 0, 0, "X", "Xabcd"}, {"abcd", 4, 0, "!", "abcd!"},
        {"abcd", 0, 4, "", ""},         {"abcd", 1, 2, "", "ad"},     {"", 0, 0, "new", "new"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        string s(c.text);
        s.replace(c.pos, c.count, string(c.with));
        EXPECT_EQ(bytes(s), c.expected);
        EXPECT_EQ(StringProbe::sizeCell(s), std::char_traits<char>::length(c.expected) + 1);
    }
}

TEST(StringTest, ConcatenationBuildsANewStringAndLeavesTheOperands) {
    const string a("ab");
    const string b("c\0d", 3);
    EXPECT_EQ(bytes(a + b), std::string("abc\0d", 5));
    EXPECT_EQ(bytes(a + "xy"), "abxy");
    EXPECT_EQ(bytes("xy" + a), "xyab");
    EXPECT_EQ(bytes(a + "x\0y"), "abx");
    EXPECT_EQ(bytes(string() + string()), "");

    const string sum = a + "";
    EXPECT_FALSE(StringProbe::sharesBlocks(sum, a));
    EXPECT_EQ(StringProbe::count(a), 1u);
    EXPECT_EQ(bytes(a), "ab");
}

TEST(StringTest, Split) {
    struct Case {
        const char *text;
        const char *separator;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a*b", "*", {"a", "b"}},
        {"abc", "*", {"abc"}},
        {"", "*", {""}},
        {"*a", "*", {"", "a"}},
        {"a*", "*", {"a", ""}},
        {"a**b", "*", {"a", "", "b"}},
        {"*", "*", {"", ""}},
        {"\\dir\\sub", "\\", {"", "dir", "sub"}},
        {"a--b--", "--", {"a", "b", ""}},
        {"a-b", "--", {"a-b"}},
        // Never used by the library; it only has to end.
        {"abc", "", {"abc"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + c.separator);
        EXPECT_EQ(pieces(string(c.text).split(string(c.separator))), c.expected);
    }
}

TEST(StringTest, SplitTailStopsAtNul) {
    EXPECT_EQ(pieces(string("a*b\0c", 5).split(string("*"))), (std::vector<std::string>{"a", "b"}));
}

TEST(IstringTest, EqualityAndOrderIgnoreCase) {
    struct Case {
        const char *a;
        const char *b;
        bool equal;
        bool aLess;
        bool bLess;
    };
    const Case cases[] = {
        {"ABC", "abc", true, false, false},    {"abc", "abcd", false, true, false},
        {"a_", "aB", false, true, false},      {"A", "b", false, true, false},
        {"Zeta", "alpha", false, false, true}, {"", "", true, false, false},
        {"a", "\xE9", false, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const istring a{string(c.a)};
        const istring b{string(c.b)};
        EXPECT_EQ(a == b, c.equal);
        EXPECT_EQ(b == a, c.equal);
        EXPECT_EQ(a < b, c.aLess);
        EXPECT_EQ(b < a, c.bLess);
        EXPECT_EQ(a == c.b, c.equal);
        EXPECT_EQ(a != c.b, !c.equal);
    }
}

TEST(IstringTest, EqualitySeesInnerNulsAndOrderStopsAtTheFirst) {
    // Built by assigning an istring its own contents with an explicit count.
    istring a;
    a.assign("A\0B", 3);
    istring b;
    b.assign("a\0c", 3);
    istring c;
    c.assign("a\0b", 3);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a == c);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a);
}

TEST(IstringTest, MadeFromAStringCopiesButFromAnIstringShares) {
    const string s("Ab\0c", 4);
    const istring fromString(s);
    EXPECT_EQ(bytes(fromString), "Ab");
    EXPECT_TRUE(StringProbe::sharesNothing(fromString, s));
    EXPECT_EQ(StringProbe::count(s), 1u);

    const istring copy(fromString);
    EXPECT_TRUE(StringProbe::sharesBlocks(copy, fromString));
    EXPECT_EQ(StringProbe::count(copy), 2u);

    istring assigned;
    assigned = copy;
    EXPECT_TRUE(StringProbe::sharesBlocks(assigned, copy));
    EXPECT_EQ(StringProbe::count(copy), 3u);

    assigned = s;
    EXPECT_EQ(bytes(assigned), "Ab");
    EXPECT_TRUE(StringProbe::sharesNothing(assigned, s));
    EXPECT_EQ(StringProbe::count(copy), 2u);
}

// Folding follows the locale the process runs in, so letters beyond ASCII fold once an 8-bit
// locale is set and stay apart in the "C" locale.
class IstringLocaleTest : public testing::Test {
  protected:
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(IstringLocaleTest, CLocaleFoldsOnlyAscii) {
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    EXPECT_TRUE(istring(string("QZ")) == istring(string("qz")));
    EXPECT_FALSE(istring(string("\xC9")) == istring(string("\xE9")));
}

TEST_F(IstringLocaleTest, Latin1LocaleFoldsAccentedLetters) {
    const char *const names[] = {".1252",           "English_United States.1252", "en_US.ISO-8859-1",
                                 "en_US.ISO8859-1", "de_DE.ISO-8859-1",           "fr_FR.ISO-8859-1"};
    bool set = false;
    for (const char *name : names) {
        if (std::setlocale(LC_ALL, name)) {
            set = true;
            break;
        }
    }
    if (!set)
        GTEST_SKIP() << "no Latin-1 or code page 1252 locale on this machine";
    // E with acute accent: 0xC9 upper case, 0xE9 lower case in both character sets.
    EXPECT_TRUE(istring(string("\xC9t\xC9")) == istring(string("\xE9T\xE9")));
    EXPECT_TRUE(istring(string("\xC9")) == "\xE9");
    EXPECT_FALSE(istring(string("\xC9")) < istring(string("\xE9")));
    EXPECT_FALSE(istring(string("\xE9")) < istring(string("\xC9")));
}

} // namespace
