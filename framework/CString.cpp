// CString: the class library's reference-counted 8-bit string.
#include "framework/CString.h"

#include "framework/Resources.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

struct CString::Block {
    int refs;
    int length;
};

namespace {

// Every empty string shares this one; it is never freed and its count is never touched.
struct EmptyBlock {
    int refs = 0;
    int length = 0;
    char text[1] = {'\0'};
} emptyBlock;

char *emptyText() { return emptyBlock.text; }

int lengthOf(const char *s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

} // namespace

CString::Block *CString::block() const { return reinterpret_cast<Block *>(m_text) - 1; }

CString::CString() : m_text(emptyText()) {}

CString::CString(const char *s) : m_text(emptyText()) { assign(s, lengthOf(s)); }

CString::CString(const char *s, int length) : m_text(emptyText()) { assign(s, length); }

CString::CString(char c, int repeat) : m_text(emptyText()) {
    if (repeat > 0)
        assign(std::string(repeat, c).data(), repeat);
}

CString::CString(const CString &other) : m_text(other.m_text) {
    if (m_text != emptyText())
        ++block()->refs;
}

CString::~CString() { release(); }

void CString::release() {
    if (m_text != emptyText() && --block()->refs == 0)
        ::operator delete(block());
    m_text = emptyText();
}

CString &CString::operator=(const CString &other) {
    if (m_text == other.m_text)
        return *this;
    char *text = other.m_text;
    if (text != emptyText())
        ++other.block()->refs;
    release();
    m_text = text;
    return *this;
}

CString &CString::operator=(const char *s) {
    assign(s, lengthOf(s));
    return *this;
}

CString &CString::operator=(char c) {
    assign(&c, 1);
    return *this;
}

// s may point into this string's own text: the new block is filled before the old one goes.
void CString::assign(const char *s, int length) {
    if (length <= 0) {
        release();
        return;
    }
    Block *b = static_cast<Block *>(::operator new(sizeof(Block) + length + 1));
    b->refs = 1;
    b->length = length;
    char *text = reinterpret_cast<char *>(b + 1);
    std::memcpy(text, s, length);
    text[length] = '\0';
    release();
    m_text = text;
}

void CString::append(const char *s, int length) {
    if (length <= 0)
        return;
    int old = GetLength();
    Block *b = static_cast<Block *>(::operator new(sizeof(Block) + old + length + 1));
    b->refs = 1;
    b->length = old + length;
    char *text = reinterpret_cast<char *>(b + 1);
    std::memcpy(text, m_text, old);
    std::memcpy(text + old, s, length);
    text[old + length] = '\0';
    release();
    m_text = text;
}

int CString::GetLength() const { return block()->length; }

void CString::Empty() { release(); }

CString &CString::operator+=(const CString &s) {
    // Keep the other's text alive in case it is this string itself.
    CString keep(s);
    append(keep.m_text, keep.GetLength());
    return *this;
}

CString &CString::operator+=(const char *s) {
    append(s, lengthOf(s));
    return *this;
}

CString &CString::operator+=(char c) {
    append(&c, 1);
    return *this;
}

int CString::Compare(const char *s) const { return std::strcmp(m_text, s ? s : ""); }

int CString::CompareNoCase(const char *s) const { return _stricmp(m_text, s ? s : ""); }

int CString::Find(const char *sub, int start) const {
    if (start < 0 || start > GetLength() || !sub)
        return -1;
    const char *hit = std::strstr(m_text + start, sub);
    return hit ? static_cast<int>(hit - m_text) : -1;
}

int CString::Find(char c, int start) const {
    char s[2] = {c, '\0'};
    return Find(s, start);
}

int CString::ReverseFind(char c) const {
    const char *hit = std::strrchr(m_text, c);
    return hit ? static_cast<int>(hit - m_text) : -1;
}

CString CString::Left(int count) const {
    if (count <= 0)
        return CString();
    return CString(m_text, count < GetLength() ? count : GetLength());
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    int rest = GetLength() - first;
    return CString(m_text + first, count < rest ? count : rest);
}

BOOL CString::LoadString(UINT id) {
    std::string text;
    if (!LoadResourceString(id, text)) {
        Empty();
        return FALSE;
    }
    assign(text.data(), static_cast<int>(text.size()));
    return TRUE;
}

void CString::FormatV(const char *format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        Empty();
        return;
    }
    std::string text(length + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    assign(text.data(), length);
}

void CString::Format(const char *format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::Format(UINT formatId, ...) {
    CString format;
    format.LoadString(formatId);
    va_list args;
    va_start(args, formatId);
    FormatV(format, args);
    va_end(args);
}

CString operator+(const CString &a, const CString &b) {
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString &a, const char *b) {
    CString s(a);
    s += b;
    return s;
}

CString operator+(const char *a, const CString &b) {
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString &a, char b) {
    CString s(a);
    s += b;
    return s;
}

bool operator==(const CString &a, const CString &b) {
    return a.GetLength() == b.GetLength() && std::memcmp(a.GetString(), b.GetString(), a.GetLength()) == 0;
}
bool operator==(const CString &a, const char *b) { return a.Compare(b) == 0; }
bool operator==(const char *a, const CString &b) { return b.Compare(a) == 0; }
bool operator!=(const CString &a, const CString &b) { return !(a == b); }
bool operator!=(const CString &a, const char *b) { return !(a == b); }
bool operator!=(const char *a, const CString &b) { return !(a == b); }
bool operator<(const CString &a, const CString &b) { return a.Compare(b) < 0; }
