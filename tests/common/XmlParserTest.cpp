// Tests of Common::XmlParser: the trees that texts give, the pre-processing, and hostile texts.
#include "common/XmlParser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace Common {

// Reaches the pre-processing, which the public interface runs only inside parse.
struct XmlParserProbe {
    static string preprocess(const string &text) { return XmlParser::preprocess(text); }
};

} // namespace Common

namespace {

using Common::SharedPtr;
using Common::string;
using Common::u64;
using Common::XmlElement;
using Common::XmlParser;
using Common::XmlParserProbe;

typedef SharedPtr<XmlElement> ElementPtr;

string bytes(const std::string &s) { return string(s.data(), s.size()); }
std::string text(const string &s) { return std::string(s.c_str(), s.length()); }

// {key=value;...}, or nothing for no attributes.
std::string dumpAttributes(XmlElement::AttributeMap::const_iterator first,
                           XmlElement::AttributeMap::const_iterator last) {
    if (first == last)
        return "";
    std::string out = "{";
    for (XmlElement::AttributeMap::const_iterator it = first; it != last; ++it)
        out += (it == first ? "" : ";") + text(it->first) + "=" + text(it->second);
    return out + "}";
}

// name{key=value;...}"text"[child,child]; the quotes and brackets only when not empty.
std::string dump(const XmlElement &e) {
    std::string out = text(e.getName()) + dumpAttributes(e.attributesBegin(), e.attributesEnd());
    if (!e.getText().empty())
        out += "\"" + text(e.getText()) + "\"";
    if (e.childrenBegin() != e.childrenEnd()) {
        out += "[";
        for (XmlElement::ChildList::const_iterator it = e.childrenBegin(); it != e.childrenEnd(); ++it)
            out += (it == e.childrenBegin() ? "" : ",") + dump(**it);
        out += "]";
    }
    return out;
}

u64 attributeCount(const XmlElement &e) {
    u64 n = 0;
    for (XmlElement::AttributeMap::const_iterator it = e.attributesBegin(); it != e.attributesEnd(); ++it)
        ++n;
    return n;
}

ElementPtr parse(const std::string &s) {
    ElementPtr root(new XmlElement("root"));
    XmlParser().parse(bytes(s), root);
    return root;
}

TEST(XmlParserTest, DefinitionIsReadOntoTheRoot) {
    const ElementPtr root = parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<cd_definition version=\"2\">\n"
                                  "  <product_id>KX-1</product_id>\n"
                                  "  <filesystem_commands>\n"
                                  "    <copy from=\"/boot\" to=\"boot\"/>\n"
                                  "  </filesystem_commands>\n"
                                  "</cd_definition>\n");
    EXPECT_EQ(text(root->getName()), "cd_definition");
    EXPECT_EQ(text(root->getAttribute("version")), "2");
    EXPECT_EQ(text(root->getText()), "\n  ");
    EXPECT_EQ(text(root->getChild("product_id")->getText()), "KX-1");
    ASSERT_TRUE(root->hasChild("filesystem_commands"));
    const ElementPtr copy = root->getChild("filesystem_commands")->getChild("copy");
    EXPECT_EQ(text(copy->getAttribute("from")), "/boot");
    EXPECT_EQ(text(copy->getAttribute("to")), "boot");
    EXPECT_EQ(text(copy->getText()), "\n  ");
    EXPECT_FALSE(root->hasChild("missing"));
}

TEST(XmlParserTest, TextsGiveTheseTrees) {
    struct Case {
        const char *name;
        const char *input;
        const char *tree;
    };
    const Case cases[] = {
        {"empty text", "", ""},
        {"only blanks", " \t\r\n", ""},
        {"one self-closing element sets nothing", "<a x='1'/>", ""},
        {"texts keep blanks and line breaks", "<r>\n\t<c> x </c>\n</r>", "r\"\n\t\"[c\" x \"]"},
        {"text after a self-closing element is its own", "<r><c/>tail<d/></r>", "r[c\"tail\",d]"},
        {"text after a closing tag belongs to no element", "<r><c></c>tail<d/></r>", "r[c,d]"},
        {"second top-level element is the first one's child", "<a>1</a><b>2</b>", "b\"2\""},
        {"declaration after the prolog stays open", "<?xml?>\n<!DOCTYPE r>\n<r><c/></r>",
         "!DOCTYPE{r=}\"\n\"[r[c]]"},
        {"closing names are not matched", "<a><b></a></b>", "a[b]"},
        {"closing tag with nothing open", "</x><r>t</r>", "r\"t\""},
        {"attributes of a closing tag are dropped", "<r></r k='v'>", "r"},
        {"attributes sorted, the second of a name wins", "<r><a z=\"1\" b='2' z=\"3\"/></r>",
         "r[a{b=2;z=3}]"},
        {"quotes hold blanks, slashes and >", "<r a=\"x /> y\" b='say \"hi\"'>", "r{a=x /> y;b=say \"hi\"}"},
        {"quotes dropped by position", "<r a=[v] b=\"\" c=x d=xyz e>", "r{a=v;b=;c=;d=y;e=}"},
        {"blanks around = split the attribute", "<r a = x>", "r{=;a=;x=}"},
        // Its first quote is not counted, so the closing one opens a quote that runs to the end.
        {"a token starting with a quote", "<r a = \"1\">", "r{=;\"1\">=;a=}"},
        {"slash right after the name or a blank", "<r><c/><d /><e k='v'/></r>", "r[c,d,e{k=v}]"},
        {"a second > makes a start tag self-closing", "<r><c>>x</r>", "r[c\"x\"]"},
        {"a slash not followed by > leaves it open", "<r><c/ >x</c></r>", "r[c\" >x\"]"},
        {"character references stay as written", "<r a='&lt;'>&amp;&#65;</r>", "r{a=&lt;}\"&amp;&#65;\""},
        {"a < inside CDATA starts a tag", "<r><![CDATA[x<b>y]]></r>", "r\"x\"[b\"y\"]"},
        {"CDATA marker deleted with its text kept", "<r><![CDATA[a&b]]>c</r>", "r\"a&bc\""},
        {"comments go, wherever they are", "<r a='x<!--y-->z'><!-- <c/> --><d/></r>", "r{a=xz}[d]"},
        {"closer may share the opener's dashes", "<r>a<!-->b<!--->c</r>", "r\"abc\""},
        {"a comment inside CDATA goes too", "<r><![CDATA[a<!--<x>-->b]]></r>", "r\"ab\""},
        {"prolog cut at the first ?>", "<r>a?>b</r><s/>", ""},
        {"no ?> leaves the text whole", "<r>a?b</r>", "r\"a?b\""},
        {"text before the first tag", "junk <r>t</r>", "r\"t\""},
        {"< followed by > or a blank is skipped", "<r><>x< c><d/></r>", "r[d]"},
        {"names take every other character", "<r><a=b\"c/></r>", "r[a=b\"c]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dump(*parse(c.input)), c.tree) << "input: " << c.input;
    }
}

TEST(XmlParserTest, TextEndingInsideATagKeepsWhatWasRead) {
    struct Case {
        const char *input;
        const char *tree;
    };
    const Case cases[] = {
        {"<r><c k=\"v\"", "c{k=v}"},
        {"<r><c k=\"v", "c{k=}"},
        {"<r a=\"x y/>", "r{a=x y/}"},
        {"<r>t<", "r\"t\""},
        {"<r>t</", "r\"t\""},
        {"<r", "r"},
        {"<", ""},
        {"<r>t<!-- never closed <c/>", "r\"t\""},
        {"<r><![CDATA[t", "r\"t\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(dump(*parse(c.input)), c.tree);
    }
}

TEST(XmlParserTest, ParseReplacesTheRootsContents) {
    const ElementPtr root = parse("<a k='1' j='2'><b/><c/></a>");
    const ElementPtr oldChild = root->getChild("b");
    XmlParser().parse("<x><y/></x>", root);
    EXPECT_EQ(dump(*root), "x[y]");
    EXPECT_EQ(text(oldChild->getName()), "b");

    XmlParser().parse("", root);
    EXPECT_EQ(dump(*root), "");

    // A root of a hundred thousand children, one of them held elsewhere and one entered twice, is
    // emptied in one pass; the children held elsewhere live on.
    std::string many = "<r>";
    for (int i = 0; i < 100000; ++i)
        many += "<c/>";
    XmlParser().parse(bytes(many + "<kept/></r>"), root);
    const ElementPtr kept = root->getChild("kept");
    root->addChild(kept);
    XmlParser().parse("<x><y/></x>", root);
    EXPECT_EQ(dump(*root), "x[y]");
    EXPECT_EQ(text(kept->getName()), "kept");
}

TEST(XmlParserTest, NulBytesAreOrdinaryCharacters) {
    const ElementPtr root = parse(std::string("<r a='x\0y'>t\0u<c\0d/></r>", 24));
    EXPECT_EQ(text(root->getAttribute("a")), std::string("x\0y", 3));
    EXPECT_EQ(text(root->getText()), std::string("t\0u", 3));
    EXPECT_TRUE(root->hasChild(string("c\0d", 3)));
}

TEST(XmlParserTest, ReadersLeavePosWhereTheNextReadStarts) {
    XmlParser p;
    const string t = "  </end x>  <open a='1' b=\"2\"/>text<";
    u64 pos = 0;
    EXPECT_EQ(text(p.readTagName(t, pos)), "/end");
    EXPECT_EQ(pos, 7u);
    const XmlElement::AttributeMap closing = p.readAttributes(t, pos);
    EXPECT_EQ(dumpAttributes(closing.begin(), closing.end()), "{x=}");
    EXPECT_EQ(pos, 10u);
    EXPECT_EQ(text(p.readTagName(t, pos)), "open");
    EXPECT_EQ(pos, 17u);
    const Common::pair<string, string> a = p.readAttribute(t, pos);
    EXPECT_EQ(text(a.first), "a");
    EXPECT_EQ(text(a.second), "1");
    EXPECT_EQ(pos, 24u);
    p.readAttributes(t, pos);
    EXPECT_EQ(t[pos], '>');
    ++pos;
    EXPECT_EQ(text(p.readText(t, pos)), "text");
    EXPECT_EQ(pos, t.length() - 1);
    EXPECT_EQ(text(p.readTagName(t, pos)), "");
    EXPECT_EQ(pos, t.length());

    u64 atText = 0;
    EXPECT_EQ(text(p.readTagName("x<a>", atText)), "");
    EXPECT_EQ(atText, 0u);
}

// Up to maxLength characters drawn from the alphabet: small texts dense in markup.
std::string randomText(std::mt19937 &random, const std::string &alphabet, unsigned maxLength) {
    std::string s(random() % maxLength, ' ');
    for (char &ch : s)
        ch = alphabet[random() % alphabet.size()];
    return s;
}

// The pre-processing as plainly written: cut, search again from the start, repeat.
std::string naivePreprocess(std::string t) {
    const std::string::size_type prolog = t.find("?>");
    if (prolog != std::string::npos)
        t.erase(0, prolog + 2);
    for (std::string::size_type p; (p = t.find("<!--")) != std::string::npos;) {
        const std::string::size_type close = t.find("-->", p);
        t.erase(p, close == std::string::npos ? std::string::npos : close + 3 - p);
    }
    for (const char *marker : {"<![CDATA[", "]]>"}) {
        const std::string m = marker;
        for (std::string::size_type p; (p = t.find(m)) != std::string::npos;)
            t.erase(p, m.size());
    }
    return t;
}

TEST(XmlParserTest, PreprocessingMatchesTheCutAndSearchAgainForm) {
    struct Case {
        const char *input;
        const char *expected;
    };
    // Cuts that put a new opener or marker together from the pieces either side.
    const Case cases[] = {
        {"a<!<!--x-->--y-->b", "ab"}, {"<!-<!---->-z-->k", "k"},
        {"<![CDA<![CDATA[TA[x", "x"}, {"]]]]>>y", "y"},
        {"x?>a?>b", "a?>b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(naivePreprocess(c.input), c.expected);
        EXPECT_EQ(text(XmlParserProbe::preprocess(c.input)), c.expected);
    }

    std::mt19937 random(20261210);
    for (int round = 0; round < 20000; ++round) {
        const std::string s = randomText(random, "<!-->[]CDATA?x", 40);
        SCOPED_TRACE(s);
        ASSERT_EQ(text(XmlParserProbe::preprocess(bytes(s))), naivePreprocess(s));
    }
}

// Every text ends the parse and reads nothing past its end; the sanitizers watch the reads.
TEST(XmlParserTest, HostileTextsEndTheParse) {
    const std::string fixed[] = {
        "<",
        "</",
        "<a",
        "<a b",
        "<a b=",
        "<a b=\"",
        "<a b='",
        "<a/",
        "<!--",
        "<!-",
        "<!-->",
        "<![CDATA[",
        "]]",
        "?",
        "?>",
        ">>>>",
        "<<<<",
        "<>",
        "< >",
        "</>",
        "<a b='\"' c=\"'\">",
        "<a'b>",
        std::string("\0", 1),
        std::string("<\0>", 3),
        std::string("<a\0b='\0'>\0", 10),
    };
    for (const std::string &s : fixed) {
        SCOPED_TRACE(s);
        parse(s);
    }

    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round)
        parse(randomText(random, std::string("<>/='\" \t!-[]?CDATAab\0", 21), 48));
}

TEST(XmlParserTest, LongRunsOfOneConstructEnd) {
    // Deep nesting, and texts of a few megabytes made of comments or markers, each of which a cut
    // and search from the start would pay for with a pass over the whole text.
    const std::string pieces[] = {"<!---->", "<![CDATA[]]>", "<a>", "<a/>", "</a>", "x"};
    for (const std::string &piece : pieces) {
        SCOPED_TRACE(piece);
        std::string s;
        for (int i = 0; i < 200000; ++i)
            s += piece;
        parse(s);
    }
}

TEST(XmlParserTest, AttributesPastTheLimitAreReadAndDropped) {
    // Twenty thousand names took seconds through the map; the limit keeps the cost linear, and
    // the rest of the tag is still consumed, so the document around it reads as before.
    const u64 limit = XmlParser::maxAttributesPerTag;
    std::string tag = "<copy";
    for (u64 i = 0; i < 20000; ++i)
        tag += " a" + std::to_string(100000 + i) + "='" + std::to_string(i) + "'";
    const ElementPtr root = parse("<cd_definition><filesystem_commands>" + tag +
                                  " a100000='again' source='late'/><delete target='x'/></filesystem_commands>"
                                  "<product_id>P</product_id></cd_definition>");
    const ElementPtr commands = root->getChild("filesystem_commands");
    const ElementPtr copy = commands->getChild("copy");
    EXPECT_EQ(attributeCount(*copy), limit);
    EXPECT_EQ(text(copy->getAttribute(bytes("a" + std::to_string(100000 + limit - 1)))),
              std::to_string(limit - 1));
    EXPECT_FALSE(copy->hasAttribute(bytes("a" + std::to_string(100000 + limit))));
    EXPECT_FALSE(copy->hasAttribute("source"));
    // A name already kept still takes its later value, as below the limit.
    EXPECT_EQ(text(copy->getAttribute("a100000")), "again");
    EXPECT_EQ(text(commands->getChild("delete")->getAttribute("target")), "x");
    EXPECT_EQ(text(root->getChild("product_id")->getText()), "P");

    // Below the limit a repeated name still replaces its value and takes no place of its own.
    std::string full = "<d><r";
    for (u64 i = 0; i + 1 < limit; ++i)
        full += " k" + std::to_string(1000 + i) + "='" + std::to_string(i) + "'";
    const ElementPtr r = parse(full + " k1000='again' last='1'/></d>")->getChild("r");
    EXPECT_EQ(attributeCount(*r), limit);
    EXPECT_EQ(text(r->getAttribute("k1000")), "again");
    EXPECT_EQ(text(r->getAttribute("last")), "1");
}

} // namespace
