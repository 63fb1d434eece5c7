// Tests of the XML node reader: load results, chain order, lookups, text rules and Shift-JIS.
#include "keybuilder/ZelXMLReader.h"
#include "support/RunLocale.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The text of an element as its users read it: the value of a text or CDATA first child.
const char *textOf(const CZelXMLNode *node) {
    return node && node->firstChild && node->firstChild->type == CZelXMLNode::text ? node->firstChild->value
                                                                                   : nullptr;
}

std::string show(const char *text) { return text ? "\"" + std::string(text) + "\"" : "(no text)"; }

struct Loaded {
    ScratchFolder scratch;
    CZelXMLReader reader;
    unsigned result;
    explicit Loaded(const std::string &document) {
        scratch.write("doc.xml", document);
        result = reader.LoadFile((scratch / "doc.xml").c_str());
    }
    // Follows element names from the document root; NULL when one is missing.
    CZelXMLNode *at(const std::vector<const char *> &path) {
        CZelXMLNode *node = nullptr;
        for (const char *name : path)
            if (!(node = reader.FindChild(node, name)))
                return nullptr;
        return node;
    }
};

TEST(ZelXMLReader, LoadResults) {
    struct Case {
        const char *what;
        const char *document; // NULL: no file at all
        unsigned result;
    } cases[] = {
        {"missing file", nullptr, 3},
        {"empty file", "", 5},
        {"not well-formed", "<a><b></a>", 5},
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>\xC3\xA9</a>", 0},
        {"Latin-1, known to expat", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>", 0},
        {"Shift_JIS", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a/>", 0},
        {"shift_jis", "<?xml version=\"1.0\" encoding=\"shift_jis\"?><a/>", 0},
        {"EUC-JP", "<?xml version=\"1.0\" encoding=\"EUC-JP\"?><a/>", 5},
    };
    for (const Case &c : cases) {
        ScratchFolder scratch;
        if (c.document)
            scratch.write("doc.xml", c.document);
        CZelXMLReader reader;
        EXPECT_EQ(c.result, reader.LoadFile((scratch / "doc.xml").c_str())) << c.what;
        EXPECT_EQ(c.result == 0, reader.loaded != 0) << c.what;
    }
}

TEST(ZelXMLReader, ChildrenChainFirstThenLastBackwards) {
    Loaded doc("<a><x k=\"n\">1</x><x k=\"y\">2</x><x k=\"y\">3</x></a>");
    ASSERT_EQ(0u, doc.result);
    CZelXMLNode *a = doc.at({"a"});
    ASSERT_NE(nullptr, a);
    EXPECT_STREQ("1", textOf(doc.reader.FindChild(a, "x")));
    EXPECT_STREQ("3", textOf(doc.reader.FindChild(a, "x", "k", "y")));
    std::string chain;
    for (CZelXMLNode *c = a->firstChild; c; c = c->nextSibling) {
        chain += textOf(c);
        EXPECT_EQ(a, c->parent);
    }
    EXPECT_EQ("132", chain);

    Loaded two("<a><x>1</x><x>2</x></a>");
    CZelXMLNode *first = two.at({"a", "x"});
    ASSERT_NE(nullptr, first);
    EXPECT_STREQ("1", textOf(first));
    EXPECT_STREQ("2", textOf(first->nextSibling));
}

TEST(ZelXMLReader, AttributeFilterEndsAtASameNamedChildWithoutTheAttribute) {
    // Chain order: the attribute-less readme_file first, then the Japanese one.
    Loaded doc("<cd><readme_file>plain.txt</readme_file><readme_file lang=\"JA\">ja.txt</readme_file>"
               "<Readme_file lang=\"ja\">wrong.txt</Readme_file></cd>");
    CZelXMLNode *cd = doc.at({"cd"});
    ASSERT_NE(nullptr, cd);
    EXPECT_EQ(nullptr, doc.reader.FindChild(cd, "readme_file", "lang", "ja"));
    EXPECT_STREQ("plain.txt", textOf(doc.reader.FindChild(cd, "readme_file")));
    EXPECT_STREQ("plain.txt", textOf(doc.reader.FindChild(cd, "readme_file", "lang", nullptr)));

    Loaded tagged(
        "<cd><readme_file lang=\"en\">en.txt</readme_file><readme_file lang=\"JA\">ja.txt</readme_file>"
        "<Readme_file lang=\"ja\">wrong.txt</Readme_file></cd>");
    CZelXMLNode *cd2 = tagged.at({"cd"});
    EXPECT_STREQ("ja.txt", textOf(tagged.reader.FindChild(cd2, "readme_file", "lang", "ja")));
    EXPECT_EQ(nullptr, tagged.reader.FindChild(cd2, "readme_file", "lang", "fr"));
    CZelXMLNode *ja = tagged.reader.FindChild(cd2, "readme_file", "lang", "ja");
    EXPECT_EQ(1u, ja->GetAttributeCount());
    EXPECT_EQ(nullptr, ja->GetAttribute("LANG"));
}

TEST(ZelXMLReader, TextRules) {
    struct Case {
        const char *document;
        std::vector<const char *> path;
        const char *text; // NULL: no text
    } cases[] = {
        {"<v>1.0</v>", {"v"}, "1.0"},
        {"<v> 1.0</v>", {"v"}, nullptr},
        {"<v>\n1.0</v>", {"v"}, nullptr},
        {"<v>line1\nline2</v>", {"v"}, "line1line2"},
        {"<v>line1\n  line2</v>", {"v"}, "line1"},
        {"<v>a &amp; b</v>", {"v"}, "a &"},
        {"<v><![CDATA[ x y ]]>after</v>", {"v"}, " x y "},
        {"<v><![CDATA[a\n b]]></v>", {"v"}, "a\n b"},
        {"<a><b>x</b>y</a>", {"a", "b"}, "xy"},
        {"<a><b>x</b>y</a>", {"a"}, nullptr},
        {"<a><b/>y</a>", {"a", "b"}, nullptr},
        {"<a><b/>y</a>", {"a"}, nullptr},
        {"<v>\xE6\x97\xA5\xE6\x9C\xAC</v>", {"v"}, "\xE6\x97\xA5\xE6\x9C\xAC"},
    };
    for (const Case &c : cases) {
        Loaded doc(c.document);
        ASSERT_EQ(0u, doc.result) << c.document;
        CZelXMLNode *node = doc.at(c.path);
        ASSERT_NE(nullptr, node) << c.document;
        EXPECT_EQ(show(c.text), show(textOf(node))) << c.document;
        EXPECT_EQ(nullptr, node->GetValue()) << "elements never get a value";
    }
}

// The parser hands a text over in pieces: a line, a line break, an entity. Joining a quarter of a
// million of them used to copy the text once per piece, seconds for a file of a megabyte.
TEST(ZelXMLReader, TextsOfManyChunksAreJoinedWhole) {
    const int n = 250000;
    std::string lines, entities, joinedEntities;
    for (int i = 0; i < n; ++i) {
        lines += "x\n";
        entities += "x&amp;";
        joinedEntities += "x&";
    }
    struct Case {
        const char *what;
        std::string document;
        std::vector<const char *> path; // a last name "#CDATA": that node's own value
        std::string text;
    } cases[] = {
        {"lines, each break dropped", "<v>" + lines + "</v>", {"v"}, std::string(n, 'x')},
        {"CDATA keeps every chunk", "<v><![CDATA[" + lines + "]]></v>", {"v"}, lines},
        {"entities", "<v>" + entities + "</v>", {"v"}, joinedEntities},
        // The chunks go to b's text node, then to the CDATA section behind b: both are stored.
        {"text after a child",
         "<a><b>x</b>" + lines + "<![CDATA[c\nd]]>after</a>",
         {"a", "b"},
         "x" + std::string(n, 'x')},
        {"CDATA after that text",
         "<a><b>x</b>" + lines + "<![CDATA[c\nd]]>after</a>",
         {"a", "#CDATA"},
         "c\nd"},
    };
    for (const Case &c : cases) {
        Loaded doc(c.document);
        ASSERT_EQ(0u, doc.result) << c.what;
        CZelXMLNode *node = doc.at(c.path);
        ASSERT_NE(nullptr, node) << c.what;
        const char *text = std::string(node->GetName()) == "#CDATA" ? node->GetValue() : textOf(node);
        ASSERT_NE(nullptr, text) << c.what;
        EXPECT_TRUE(c.text == text) << c.what << ": " << std::string(text).size() << " bytes";
    }
}

TEST(ZelXMLReader, AFailedLoadFindsNothing) {
    ScratchFolder scratch;
    scratch.write("good.xml", "<cd_definition><version>1</version></cd_definition>");
    scratch.write("bad.xml", "<cd_definition><version>1</version>");
    CZelXMLReader reader;
    ASSERT_EQ(0u, reader.LoadFile((scratch / "good.xml").c_str()));
    ASSERT_NE(nullptr, reader.FindChild(nullptr, "cd_definition"));
    EXPECT_EQ(5u, reader.LoadFile((scratch / "bad.xml").c_str()));
    EXPECT_EQ(nullptr, reader.FindChild(nullptr, "cd_definition"));
    EXPECT_EQ(nullptr, reader.FindChild(nullptr, "version"));
    EXPECT_EQ(3u, reader.LoadFile((scratch / "none.xml").c_str()));
    EXPECT_EQ(nullptr, reader.FindChild(nullptr, "cd_definition"));
}

TEST(ZelXMLReader, ShiftJisSingleBytes) {
    const std::string decl = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>";
    Loaded katakana(decl + "<n>\xA0\xB1\xDF</n>");
    ASSERT_EQ(0u, katakana.result);
    EXPECT_STREQ("\xEF\xBD\xA0\xEF\xBD\xB1\xEF\xBE\x9F", textOf(katakana.at({"n"})))
        << "U+FF60 U+FF71 U+FF9F";
    EXPECT_EQ(5u, Loaded(decl + "<n>\xFF</n>").result);
    EXPECT_EQ(5u, Loaded(decl + "<n>\x01</n>").result);
}

TEST(ZelXMLReader, ShiftJisByteMapAtEachRangeBoundary) {
    XML_Encoding info = {};
    EXPECT_EQ(0, CZelXMLReader::ShiftJisEncodingHandler(nullptr, "EUC-JP", &info));
    ASSERT_EQ(1, CZelXMLReader::ShiftJisEncodingHandler(nullptr, "sHiFt_JiS", &info));
    EXPECT_EQ(&CZelXMLReader::ConvertShiftJisChar, info.convert);
    EXPECT_EQ(nullptr, info.data);
    EXPECT_EQ(nullptr, info.release);
    struct Range {
        int first, last, firstValue; // firstValue -1 or -2 for the whole range, else rising with b
    } ranges[] = {
        {0x00, 0x08, -1}, {0x09, 0x0F, 0x09},   {0x10, 0x1F, -1}, {0x20, 0x7F, 0x20},
        {0x80, 0x9F, -2}, {0xA0, 0xDF, 0xFF60}, {0xE0, 0xFE, -2}, {0xFF, 0xFF, -1},
    };
    for (const Range &r : ranges)
        for (int b = r.first; b <= r.last; ++b)
            EXPECT_EQ(r.firstValue < 0 ? r.firstValue : r.firstValue + (b - r.first), info.map[b]) << b;
}

// Run once in the default locale and, on Windows, once each under LC_ALL=ja_JP.UTF-8 and
// fr_FR.UTF-8: the two-byte characters follow the code page of the user's locale.
TEST(ZelXMLReaderLocale, ShiftJisTwoByteCharacters) {
    Loaded doc(
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><name lang=\"\x93\xFA\">\x93\xFA\x96\x7B</name>");
    ASSERT_EQ(0u, doc.result);
    CZelXMLNode *name = doc.at({"name"});
    if (RunLanguage() == "ja") {
        EXPECT_STREQ("\xE6\x97\xA5\xE6\x9C\xAC", textOf(name)) << "日本";
        EXPECT_STREQ("\xE6\x97\xA5", name->GetAttribute("lang"));
    } else {
        EXPECT_STREQ("\xEF\xBF\xBD\xEF\xBF\xBD", textOf(name)) << "two replacement characters";
    }
}

TEST(ZelXMLReader, LongChainsAndDeepNestingAreReleasedWithoutRecursion) {
    std::string siblings = "<a>";
    for (int i = 0; i < 200000; ++i)
        siblings += "<x/>";
    siblings += "</a>";
    Loaded wide(siblings);
    EXPECT_EQ(0u, wide.result);

    std::string nested;
    for (int i = 0; i < 100000; ++i)
        nested += "<x>";
    for (int i = 0; i < 100000; ++i)
        nested += "</x>";
    Loaded deep(nested);
    EXPECT_EQ(0u, deep.result);
}

TEST(CZelXMLNode, SiblingsAttributesAndValues) {
    const char *atts[] = {"lang", "en", "id", "7", nullptr};
    CZelXMLNode parent("p", nullptr, CZelXMLNode::element);
    auto *first = new CZelXMLNode("a", atts, CZelXMLNode::element);
    auto *second = new CZelXMLNode("b", nullptr, CZelXMLNode::element);
    auto *third = new CZelXMLNode("c", nullptr, CZelXMLNode::element);
    EXPECT_TRUE(parent.SetFirstChild(first));
    EXPECT_FALSE(parent.SetFirstChild(second));
    EXPECT_TRUE(first->InsertSibling(second, false));
    EXPECT_FALSE(first->InsertSibling(third, false));
    EXPECT_TRUE(first->InsertSibling(third, true));
    EXPECT_EQ(third, first->nextSibling);
    EXPECT_EQ(second, third->nextSibling);
    EXPECT_EQ(&parent, third->parent);

    EXPECT_EQ(2u, first->GetAttributeCount());
    EXPECT_STREQ("7", first->GetAttribute("id"));
    const char *none[] = {nullptr};
    first->SetAttributes(none);
    EXPECT_EQ(2u, first->GetAttributeCount()) << "an empty array changes nothing";
    EXPECT_EQ(0u, second->GetAttributeCount());
    EXPECT_EQ(nullptr, second->GetAttribute("id"));

    first->SetValue("abc", 2);
    EXPECT_STREQ("ab", first->GetValue());
    first->SetValue("", 0);
    EXPECT_STREQ("", first->GetValue());
}

} // namespace
