// Proves the expat dependency links and parses in each build.
#include <expat.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Seen {
    std::string elements;
    std::string text;
};

void XMLCALL onStart(void *data, const XML_Char *name, const XML_Char **) {
    static_cast<Seen *>(data)->elements += std::string(name) + ";";
}
void XMLCALL onEnd(void *, const XML_Char *) {}
void XMLCALL onText(void *data, const XML_Char *s, int len) {
    static_cast<Seen *>(data)->text.append(s, len);
}

bool parse(const char *doc, Seen &seen) {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &seen);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    bool ok = XML_Parse(parser, doc, static_cast<int>(std::strlen(doc)), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

TEST(ExpatSmoke, ParsesElementsAndUtf8Text) {
    Seen seen;
    ASSERT_TRUE(parse("<?xml version=\"1.0\"?><a><b>x&amp;y</b><c>\xC3\xA9</c></a>", seen));
    EXPECT_EQ("a;b;c;", seen.elements);
    EXPECT_EQ("x&y\xC3\xA9", seen.text);
}

TEST(ExpatSmoke, RejectsUnclosedElement) {
    Seen seen;
    EXPECT_FALSE(parse("<a><b></a>", seen));
}

} // namespace
