// CZelXMLReader: a whole XML file parsed by expat into a tree of CZelXMLNode, and its lookup.
#include "keybuilder/ZelXMLReader.h"

#include "keybuilder/os/FileRead.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

char *copyOf(const char *s, size_t length) {
    char *copy = new char[length + 1];
    std::memcpy(copy, s, length);
    copy[length] = '\0';
    return copy;
}

char *copyOf(const char *s) { return copyOf(s, std::strlen(s)); }

// Language codes and encoding names are ASCII; folding only ASCII keeps the comparison the same
// under every locale.
bool equalsIgnoringCase(const char *a, const char *b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

bool startsWithWhiteSpace(const char *s) {
    switch (s[0]) {
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case ' ':
        return true;
    default:
        return false;
    }
}

void storeGrown(CZelXMLReader::ParseState *state) {
    if (!state->growing)
        return;
    state->growing->SetValue(state->grown.data(), static_cast<std::uint32_t>(state->grown.size()));
    state->growing = nullptr;
    state->grown.clear();
}

void appendValue(CZelXMLReader::ParseState *state, CZelXMLNode *node, const char *s, int len) {
    if (state->growing != node) {
        storeGrown(state);
        state->growing = node;
        if (node->value)
            state->grown = node->value;
    }
    state->grown.append(s, static_cast<size_t>(len));
}

// New children go right behind the first one, so constant time whatever the number of siblings;
// the chain of c1..cN reads c1, cN, ..., c2.
void attach(CZelXMLNode *parent, CZelXMLNode *child) {
    if (!parent->firstChild)
        parent->SetFirstChild(child);
    else
        parent->firstChild->InsertSibling(child, true);
}

// How the parser reads each byte of a Shift-JIS document: -1 not allowed, -2 first of two bytes,
// otherwise the character.
int shiftJisMap(int b) {
    if (b <= 0x08)
        return -1;
    if (b <= 0x0F)
        return b;
    if (b <= 0x1F)
        return -1;
    if (b <= 0x7F)
        return b;
    if (b <= 0x9F)
        return -2;
    if (b <= 0xDF)
        return 0xFF60 + (b - 0xA0); // half-width katakana
    if (b <= 0xFE)
        return -2;
    return -1;
}

const int kReplacementCharacter = 0xFFFD;

} // namespace

CZelXMLNode::CZelXMLNode(const char *name_, const char **attributes_, int type_) {
    Init();
    name = copyOf(name_);
    type = type_;
    SetAttributes(attributes_);
}

void CZelXMLNode::Init() {
    type = building;
    name = nullptr;
    attributes = nullptr;
    value = nullptr;
    nextSibling = nullptr;
    firstChild = nullptr;
    parent = nullptr;
}

CZelXMLNode::~CZelXMLNode() {
    delete[] value;
    // Released with a list of pending nodes rather than recursion, so neither a long sibling chain
    // nor deep nesting can exhaust the stack.
    std::vector<CZelXMLNode *> pending;
    if (firstChild)
        pending.push_back(firstChild);
    if (nextSibling)
        pending.push_back(nextSibling);
    firstChild = nextSibling = nullptr;
    while (!pending.empty()) {
        CZelXMLNode *node = pending.back();
        pending.pop_back();
        if (node->firstChild)
            pending.push_back(node->firstChild);
        if (node->nextSibling)
            pending.push_back(node->nextSibling);
        node->firstChild = node->nextSibling = nullptr;
        delete node;
    }
    freeAttributes();
    delete[] name;
}

void CZelXMLNode::freeAttributes() {
    if (!attributes)
        return;
    for (char **p = attributes; *p; ++p)
        delete[] * p;
    delete[] attributes;
    attributes = nullptr;
}

void CZelXMLNode::SetAttributes(const char **atts) {
    if (!atts || !atts[0])
        return;
    freeAttributes();
    size_t count = 0;
    while (atts[count])
        ++count;
    attributes = new char *[count + 1]();
    for (size_t i = 0; i < count; ++i)
        attributes[i] = copyOf(atts[i]);
}

bool CZelXMLNode::SetFirstChild(CZelXMLNode *child) {
    if (firstChild)
        return false;
    firstChild = child;
    child->parent = this;
    return true;
}

bool CZelXMLNode::InsertSibling(CZelXMLNode *node, bool force) {
    if (nextSibling) {
        if (!force)
            return false;
        node->nextSibling = nextSibling;
    }
    nextSibling = node;
    node->parent = parent;
    return true;
}

std::uint32_t CZelXMLNode::GetAttributeCount() const {
    std::uint32_t strings = 0;
    if (attributes)
        while (attributes[strings])
            ++strings;
    return strings / 2;
}

void CZelXMLNode::SetValue(const char *data, std::uint32_t length) {
    char *copy = copyOf(data, length);
    delete[] value;
    value = copy;
}

const char *CZelXMLNode::GetAttribute(const char *attrName) const {
    if (!attributes)
        return nullptr;
    for (char **p = attributes; p[0] && p[1]; p += 2)
        if (std::strcmp(p[0], attrName) == 0)
            return p[1];
    return nullptr;
}

CZelXMLReader::CZelXMLReader() : root(nullptr), encoding(nullptr), loaded(0) { Reset(); }

CZelXMLReader::~CZelXMLReader() { Clear(); }

void CZelXMLReader::Reset() {
    if (loaded || root)
        Clear();
    root = new (std::nothrow) CZelXMLNode("#DOCROOT", nullptr, CZelXMLNode::element);
    std::setlocale(LC_ALL, "");
}

void CZelXMLReader::Clear() {
    delete root;
    root = nullptr;
    delete[] encoding;
    encoding = nullptr;
    loaded = 0;
}

std::uint32_t CZelXMLReader::LoadFile(const char *path) {
    Reset();
    if (!root)
        return loadNoRoot;
    std::vector<char> contents;
    switch (ReadWholeFile(path, contents)) {
    case FileReadResult::cannotOpen:
        return loadCannotOpen;
    case FileReadResult::cannotRead:
        return loadCannotRead;
    case FileReadResult::ok:
        break;
    }
    if (!ParseBuffer(contents.data(), static_cast<std::uint32_t>(contents.size())))
        return loadParseFailed;
    loaded = 1;
    return loadOk;
}

bool CZelXMLReader::ParseBuffer(const char *buffer, std::uint32_t length) {
    XML_Parser parser = XML_ParserCreate(encoding);
    if (!parser)
        return false;
    ParseState state = {root, 1, 0, nullptr, 0, nullptr, nullptr, std::string()};
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(parser, OnCharacterData);
    XML_SetCdataSectionHandler(parser, OnStartCdata, OnEndCdata);
    XML_SetUnknownEncodingHandler(parser, ShiftJisEncodingHandler, nullptr);
    bool ok = XML_Parse(parser, buffer, static_cast<int>(length), 1) != XML_STATUS_ERROR;
    XML_ParserFree(parser);
    storeGrown(&state);
    delete state.unattachedText;
    return ok;
}

void XMLCALL CZelXMLReader::OnStartElement(void *data, const XML_Char *name, const XML_Char **atts) {
    auto *state = static_cast<ParseState *>(data);
    state->inElement = 1;
    state->freshText = 1;
    auto *node = new CZelXMLNode(name, atts, CZelXMLNode::element);
    attach(state->current, node);
    state->current = node;
}

void XMLCALL CZelXMLReader::OnEndElement(void *data, const XML_Char *) {
    auto *state = static_cast<ParseState *>(data);
    state->current = state->current->parent;
}

void XMLCALL CZelXMLReader::OnStartCdata(void *data) {
    auto *state = static_cast<ParseState *>(data);
    state->inElement = 1;
    state->inCdata = 1;
    auto *node = new CZelXMLNode("#CDATA", nullptr, CZelXMLNode::text);
    attach(state->current, node);
    state->current = node;
}

void XMLCALL CZelXMLReader::OnEndCdata(void *data) {
    auto *state = static_cast<ParseState *>(data);
    state->inElement = 0;
    state->inCdata = 0;
    state->current = state->current->parent;
}

void XMLCALL CZelXMLReader::OnCharacterData(void *data, const XML_Char *s, int len) {
    auto *state = static_cast<ParseState *>(data);
    if (len <= 0)
        return;
    if (state->inCdata) {
        appendValue(state, state->current, s, len);
        return;
    }
    if (!state->inElement)
        return;
    if (state->freshText) {
        // An element whose text begins with white space gets no text at all.
        if (startsWithWhiteSpace(s)) {
            state->inElement = 0;
            return;
        }
        auto *node = new CZelXMLNode("#TEXT", nullptr, CZelXMLNode::text);
        node->SetValue(s, static_cast<std::uint32_t>(len));
        storeGrown(state);
        delete state->unattachedText;
        state->unattachedText = nullptr;
        // Text behind a child element or CDATA section finds the first place taken and is lost;
        // later chunks still go to it.
        if (!state->current->SetFirstChild(node))
            state->unattachedText = node;
        state->textNode = node;
        state->freshText = 0;
        return;
    }
    if (startsWithWhiteSpace(s) || !state->textNode)
        return;
    appendValue(state, state->textNode, s, len);
}

int XMLCALL CZelXMLReader::ShiftJisEncodingHandler(void *, const XML_Char *name, XML_Encoding *info) {
    if (!equalsIgnoringCase(name, "SHIFT_JIS"))
        return 0;
    for (int b = 0; b < 256; ++b)
        info->map[b] = shiftJisMap(b);
    info->data = nullptr;
    info->convert = ConvertShiftJisChar;
    info->release = nullptr;
    return 1;
}

int XMLCALL CZelXMLReader::ConvertShiftJisChar(void *, const char *s) {
    char buffer[3] = {s[0], s[1], '\0'};
    wchar_t wc = 0;
    // Where the locale's code page is not Shift-JIS the two bytes may not form one character; the
    // document then still reads, with a replacement character in that place.
    if (std::mbtowc(&wc, buffer, 2) != 2)
        return kReplacementCharacter;
    // A 32-bit wchar_t could hold a character beyond the 16 bits the parser takes.
    unsigned long character = static_cast<unsigned long>(wc);
    return character <= 0xFFFF ? static_cast<int>(character) : kReplacementCharacter;
}

CZelXMLNode *CZelXMLReader::FindChild(CZelXMLNode *parent, const char *name, const char *attrName,
                                      const char *attrValue) {
    if (!loaded)
        return nullptr;
    if (!parent)
        parent = root;
    for (CZelXMLNode *child = parent->firstChild; child; child = child->nextSibling) {
        if (std::strcmp(child->name, name) != 0)
            continue;
        if (!attrName || !attrValue)
            return child;
        const char *value = child->GetAttribute(attrName);
        if (!value)
            return nullptr;
        if (equalsIgnoringCase(value, attrValue))
            return child;
    }
    return nullptr;
}
