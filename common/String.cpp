// Reference-counted 8-bit strings (Common::string, case-insensitive Common::istring).
#include "common/String.h"

#include <cctype>
#include <cstring>

namespace Common {

namespace {

// A buffer of n bytes from s followed by NUL.
char *makeBuffer(const char *s, u64 n) {
    char *buffer = new char[n + 1];
    if (n)
        std::memcpy(buffer, s, n);
    buffer[n] = '\0';
    return buffer;
}

unsigned char fold(char c) { return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c))); }

} // namespace

string::string() : m_sizeCell(nullptr), m_countCell(nullptr), m_buffer(nullptr) {
    m_buffer = makeBuffer("", 0);
    try {
        m_sizeCell = new u64(1);
        m_countCell = new u32(1);
    } catch (...) {
        delete m_sizeCell;
        delete[] m_buffer;
        throw;
    }
}

string::string(const char *s, u64 n) : string() { assign(s, n); }

string::string(char c) : string() { install(makeBuffer(&c, 1), 1); }

string::string(const string &other)
    : m_sizeCell(other.m_sizeCell), m_countCell(other.m_countCell), m_buffer(other.m_buffer) {
    ++*m_countCell;
}

string::~string() {
    if (--*m_countCell == 0) {
        delete m_sizeCell;
        delete m_countCell;
        delete[] m_buffer;
    }
}

string &string::operator=(const string &other) {
    // Releasing first would free the very blocks about to be taken when this string is their only
    // holder, so a holder of the same blocks keeps them as they are.
    if (m_countCell == other.m_countCell)
        return *this;
    if (--*m_countCell == 0) {
        delete m_sizeCell;
        delete m_countCell;
        delete[] m_buffer;
    }
    m_sizeCell = other.m_sizeCell;
    m_countCell = other.m_countCell;
    m_buffer = other.m_buffer;
    ++*m_countCell;
    return *this;
}

void string::install(char *buffer, u64 length) {
    // Everything that can throw happens before the old blocks are touched, so an out-of-memory
    // exception leaves the string as it was.
    u64 *sizeCell;
    u32 *countCell = nullptr;
    try {
        sizeCell = new u64(length + 1);
        if (*m_countCell > 1)
            countCell = new u32(1);
    } catch (...) {
        delete[] buffer;
        throw;
    }
    if (countCell) {
        // Shared: the other holders keep the old size cell and buffer.
        --*m_countCell;
        m_countCell = countCell;
    } else {
        delete m_sizeCell;
        delete[] m_buffer;
        *m_countCell = 1;
    }
    m_sizeCell = sizeCell;
    m_buffer = buffer;
}

u64 string::find(const char *p, u64 pos, u64 n) const {
    const u64 len = length();
    if (n > len)
        return npos;
    const u64 last = len - n + 1;
    for (u64 i = pos; i < last; ++i) {
        if (std::memcmp(m_buffer + i, p, n) == 0)
            return i;
    }
    return npos;
}

u64 string::find(const string &s, u64 pos) const { return find(s.m_buffer, pos, s.length()); }

u64 string::find(const char *p, u64 pos) const { return find(p, pos, std::strlen(p)); }

u64 string::rfind(const char *p, u64 pos, u64 n) const {
    const u64 len = length();
    if (n > len)
        return npos;
    u64 s = pos;
    if (len == 0)
        s = 0;
    else if (pos == npos || pos > len - 1)
        s = len - 1;
    if (s + n > len)
        s = len - n;
    for (u64 i = s + 1; i-- > 0;) {
        if (std::memcmp(m_buffer + i, p, n) == 0)
            return i;
    }
    return npos;
}

u64 string::rfind(const char *p, u64 pos) const { return rfind(p, pos, std::strlen(p)); }

string string::substr(u64 pos, u64 n) const {
    // Clamped here because the constructor copies exactly n bytes.
    if (n != npos && n > length() - pos)
        n = length() - pos;
    return string(m_buffer + pos, n);
}

list<string> string::split(const string &separator) const {
    list<string> pieces;
    u64 pos = 0;
    // An empty separator would be found at every position without moving on.
    if (!separator.empty()) {
        for (u64 f = find(separator, pos); f != npos; f = find(separator, pos)) {
            pieces.push_back(substr(pos, f - pos));
            pos = f + separator.length();
        }
    }
    pieces.push_back(substr(pos));
    return pieces;
}

string &string::assign(const char *s, u64 n) {
    // The characters are copied out before the old buffer goes, so s may be a tail of this string.
    if (n == npos)
        n = std::strlen(s);
    install(makeBuffer(s, n), n);
    return *this;
}

string &string::assign(const char *s) { return assign(s, npos); }

string &string::assign(char c) {
    const char text[2] = {c, '\0'};
    return assign(text, npos);
}

string &string::clear() { return assign("", npos); }

string &string::operator+=(const string &s) {
    const u64 len = length();
    const u64 add = s.length();
    char *buffer = new char[len + add + 1];
    std::memcpy(buffer, m_buffer, len);
    std::memcpy(buffer + len, s.m_buffer, add);
    buffer[len + add] = '\0';
    install(buffer, len + add);
    return *this;
}

string &string::operator+=(const char *s) { return *this += string(s); }

string &string::replace(u64 pos, u64 count, const string &with) {
    const u64 len = length();
    const u64 withLen = with.length();
    const u64 size = len - count + withLen;
    char *buffer = new char[size + 1];
    std::memcpy(buffer, m_buffer, pos);
    std::memcpy(buffer + pos, with.m_buffer, withLen);
    std::memcpy(buffer + pos + withLen, m_buffer + pos + count, len - pos - count);
    buffer[size] = '\0';
    install(buffer, size);
    return *this;
}

bool string::operator==(const char *s) const {
    const u64 len = std::strlen(s);
    return len == length() && std::memcmp(m_buffer, s, len) == 0;
}

bool operator==(const string &a, const string &b) {
    const u64 len = a.length();
    return len == b.length() && std::memcmp(a.c_str(), b.c_str(), len) == 0;
}

bool operator<(const string &a, const string &b) {
    const unsigned char *x = reinterpret_cast<const unsigned char *>(a.c_str());
    const unsigned char *y = reinterpret_cast<const unsigned char *>(b.c_str());
    for (;; ++x, ++y) {
        if (*x != *y)
            return *x < *y;
        if (*x == 0)
            return false;
    }
}

string operator+(const string &a, const string &b) {
    string r;
    r += a;
    r += b;
    return r;
}

string operator+(const string &a, const char *b) {
    string r;
    r += a;
    r += b;
    return r;
}

string operator+(const char *a, const string &b) {
    string r;
    r += a;
    r += b;
    return r;
}

istring::istring(const string &s) : string(s.c_str()) {}

bool istring::operator==(const char *s) const {
    const u64 len = std::strlen(s);
    if (len != length())
        return false;
    const char *mine = c_str();
    for (u64 i = 0; i < len; ++i) {
        if (fold(mine[i]) != fold(s[i]))
            return false;
    }
    return true;
}

bool operator==(const istring &a, const istring &b) {
    const u64 len = a.length();
    if (len != b.length())
        return false;
    const char *x = a.c_str();
    const char *y = b.c_str();
    for (u64 i = 0; i < len; ++i) {
        if (fold(x[i]) != fold(y[i]))
            return false;
    }
    return true;
}

bool operator<(const istring &a, const istring &b) {
    for (const char *x = a.c_str(), *y = b.c_str();; ++x, ++y) {
        const unsigned char fx = fold(*x);
        const unsigned char fy = fold(*y);
        if (fx != fy)
            return fx < fy;
        if (*x == '\0')
            return false;
    }
}

} // namespace Common
