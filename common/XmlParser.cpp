// Small lenient XML parser that fills a Common::XmlElement tree from a text.
#include "common/XmlParser.h"

#include <cstring>
#include <vector>

namespace Common {

namespace {

typedef XmlElement::ChildList ElementList;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void skipBlanks(const string &t, u64 &pos) {
    while (pos < t.length() && isBlank(t[pos]))
        ++pos;
}

bool endsWith(const std::vector<char> &out, const char *marker, u64 n) {
    return out.size() >= n && std::memcmp(out.data() + out.size() - n, marker, n) == 0;
}

string toString(const std::vector<char> &out) { return string(out.data(), out.size()); }

// Cutting the first comment and searching again from the start costs a pass over the whole text
// per comment. Writing the survivors into a second buffer gives the same result in one pass: the
// written part never holds a whole opener, so an opener that a cut puts together is the next one
// met. An opener that is never closed takes the rest of the text with it.
string removeComments(const string &t) {
    const u64 n = t.length();
    std::vector<char> out;
    out.reserve(n);
    u64 i = 0;
    while (i < n) {
        out.push_back(t[i++]);
        if (!endsWith(out, "<!--", 4))
            continue;
        // The closer may share the opener's dashes: "<!-->" and "<!--->" are whole comments.
        u64 resume;
        if (i < n && t[i] == '>') {
            resume = i + 1;
        } else if (i + 1 < n && t[i] == '-' && t[i + 1] == '>') {
            resume = i + 2;
        } else {
            const u64 close = t.find("-->", i);
            resume = close == string::npos ? n : close + 3;
        }
        out.resize(out.size() - 4);
        i = resume;
    }
    return toString(out);
}

// Deletes every occurrence, also those that a deletion puts together, in one pass.
string removeMarker(const string &t, const char *marker) {
    const u64 m = std::strlen(marker);
    std::vector<char> out;
    out.reserve(t.length());
    for (u64 i = 0; i < t.length(); ++i) {
        out.push_back(t[i]);
        if (endsWith(out, marker, m))
            out.resize(out.size() - m);
    }
    return toString(out);
}

void pushFront(ElementList &stack, const XmlParser::ElementPtr &element) {
    ElementList one;
    one.push_back(element);
    stack.insert(stack.begin(), one.begin(), one.end());
}

bool isEmpty(const ElementList &l) { return l.begin() == l.end(); }

} // namespace

string XmlParser::preprocess(const string &text) {
    string t = text;
    const u64 prologEnd = t.find("?>");
    if (prologEnd != string::npos)
        t = t.substr(prologEnd + 2, t.length() - prologEnd - 2);
    t = removeComments(t);
    t = removeMarker(t, "<![CDATA[");
    return removeMarker(t, "]]>");
}

void XmlParser::parse(const string &text, ElementPtr root) {
    root->setName(string());
    root->setText(string());
    while (root->attributesBegin() != root->attributesEnd())
        root->removeAttribute(root->attributesBegin()->first);
    // All children go at once: removing the first one again and again rebuilds the list once per
    // child, which for a root of many thousands of children took seconds.
    root->m_children.clear();

    parseElements(root, preprocess(text));
}

void XmlParser::parseElements(ElementPtr root, const string &t) {
    if (t.empty())
        return;
    ElementPtr current;
    ElementList open;
    u64 pos = 0;
    while (pos < t.length()) {
        const string name = readTagName(t, pos);
        if (name.empty()) {
            // Text where a tag should start, or "<" followed by ">" or a blank: nothing can be read
            // here, so go on at the next "<". Searching past pos always moves on.
            if (pos < t.length()) {
                const u64 next = t.find("<", pos + 1);
                pos = next == string::npos ? t.length() : next;
            }
            continue;
        }
        const XmlElement::AttributeMap attributes = readAttributes(t, pos);
        bool selfClosing = false;
        if (pos < t.length() && t[pos] == '>') {
            selfClosing = true;
            ++pos;
        }

        if (name[0] == '/') {
            // Closing tags are not matched against the open element's name.
            if (isEmpty(open)) {
                current = ElementPtr();
            } else {
                current = *open.begin();
                open.pop_front();
                if (!isEmpty(open))
                    current = *open.begin();
            }
            continue;
        }

        ElementPtr element(new XmlElement(name));
        element->setText(readText(t, pos));
        for (XmlElement::AttributeMap::const_iterator it = attributes.begin(); it != attributes.end(); ++it)
            element->setAttribute(it->first, it->second);
        if (!selfClosing)
            pushFront(open, element);
        if (current.get())
            current->addChild(element);
        if (!selfClosing)
            current = element;
    }

    if (!current.get())
        return;
    root->setName(current->getName());
    root->setText(current->getText());
    for (XmlElement::AttributeMap::const_iterator it = current->attributesBegin();
         it != current->attributesEnd(); ++it)
        root->setAttribute(it->first, it->second);
    for (ElementList::const_iterator it = current->childrenBegin(); it != current->childrenEnd(); ++it)
        root->addChild(*it);
}

string XmlParser::readTagName(const string &t, u64 &pos) {
    skipBlanks(t, pos);
    if (pos >= t.length() || t[pos] != '<')
        return string();
    ++pos;
    bool closing = false;
    if (pos < t.length() && t[pos] == '/') {
        closing = true;
        ++pos;
    }
    const u64 start = pos;
    while (pos < t.length() && t[pos] != '>' && t[pos] != '/' && !isBlank(t[pos]))
        ++pos;
    const string name = t.substr(start, pos - start);
    return closing ? string("/") + name : name;
}

XmlElement::AttributeMap XmlParser::readAttributes(const string &t, u64 &pos) {
    skipBlanks(t, pos);
    XmlElement::AttributeMap attributes;
    u64 held = 0;
    while (pos < t.length()) {
        if (t[pos] == '>' || t[pos] == '/') {
            ++pos;
            break;
        }
        const pair<string, string> attribute = readAttribute(t, pos);
        // Past the limit a name already held still takes the later value: that lookup is bounded.
        if (held < maxAttributesPerTag || attributes.find(attribute.first) != attributes.end()) {
            if (attributes.insert(attribute).second)
                ++held;
        }
    }
    return attributes;
}

pair<string, string> XmlParser::readAttribute(const string &t, u64 &pos) {
    skipBlanks(t, pos);
    const u64 start = pos;
    bool single = false;
    bool dbl = false;
    for (; pos < t.length(); ++pos) {
        const char c = t[pos];
        if (!single && !dbl && (c == '>' || c == '/' || isBlank(c)))
            break;
        // The token's first character never opens a quote.
        if (pos == start)
            continue;
        if (c == '\'' && !dbl)
            single = !single;
        else if (c == '"' && !single)
            dbl = !dbl;
    }
    const string token = t.substr(start, pos - start);
    skipBlanks(t, pos);

    const u64 equals = token.find("=");
    if (equals == string::npos)
        return pair<string, string>(token, string());
    // The quotes are dropped by their position, whatever they are.
    const u64 after = token.length() - equals - 1;
    const string value = after < 3 ? string() : token.substr(equals + 2, after - 2);
    return pair<string, string>(token.substr(0, equals), value);
}

string XmlParser::readText(const string &t, u64 &pos) {
    const u64 start = pos;
    while (pos < t.length() && t[pos] != '<')
        ++pos;
    return t.substr(start, pos - start);
}

} // namespace Common
