// Reference-counted 8-bit strings (Common::string, case-insensitive Common::istring).
#pragma once

#include "common/List.h"
#include "common/Types.h"

namespace Common {

// Copies share all three blocks and cost one increment; every change detaches and builds blocks of
// exactly the new size. There is no spare capacity. Counts are not atomic: a string and its copies
// belong to one thread at a time.
class string {
  public:
    // As a count: up to the terminating NUL. As a result: not found.
    static constexpr u64 npos = ~u64(0);

    string();
    string(const char *s, u64 n = npos);
    // Length 1 even for NUL, unlike assign(char).
    string(char c);
    string(const string &other);
    ~string();

    string &operator=(const string &other);

    u64 length() const { return *m_sizeCell - 1; }
    bool empty() const { return *m_sizeCell == 1; }
    const char *c_str() const { return m_buffer; }

    // No bounds check and no detach: a write reaches every holder, so write only into a string you
    // have just built and hold alone. Index length() gives the NUL.
    char &operator[](u64 i) { return m_buffer[i]; }
    const char &operator[](u64 i) const { return m_buffer[i]; }

    u64 find(const char *p, u64 pos, u64 n) const;
    u64 find(const string &s, u64 pos = 0) const;
    u64 find(const char *p, u64 pos = 0) const;
    u64 rfind(const char *p, u64 pos, u64 n) const;
    u64 rfind(const char *p, u64 pos = npos) const;

    // pos must be at most length(); a count past the end takes the rest, npos stops at the first NUL.
    string substr(u64 pos, u64 n = npos) const;

    // Empty pieces are kept. An empty separator cuts nothing: the result is the one piece substr(0).
    list<string> split(const string &separator) const;

    // s may point into this string's own buffer.
    string &assign(const char *s, u64 n);
    string &assign(const char *s);
    // Gives the empty string for NUL.
    string &assign(char c);
    string &clear();

    string &operator+=(const string &s);
    string &operator+=(const char *s);

    // pos + count must not exceed length().
    string &replace(u64 pos, u64 count, const string &with);

    bool operator==(const char *s) const;
    bool operator!=(const char *s) const { return !(*this == s); }

  private:
    friend struct StringProbe;

    // Takes ownership of a buffer of length + 1 bytes ending in NUL and makes it this string's
    // contents, leaving any other holders on the old blocks.
    void install(char *buffer, u64 length);

    u64 *m_sizeCell; // buffer size: length + 1
    u32 *m_countCell;
    char *m_buffer;
};

bool operator==(const string &a, const string &b);
// Unsigned bytes, stopping at the first difference or the first NUL.
bool operator<(const string &a, const string &b);

string operator+(const string &a, const string &b);
string operator+(const string &a, const char *b);
string operator+(const char *a, const string &b);

// The same string with equality and order taken after folding case with the C runtime's tolower,
// so it follows the current locale.
class istring : public string {
  public:
    istring() {}
    // Copies the characters up to the first NUL into blocks of its own.
    istring(const string &s);
    istring(const istring &other) : string(other) {}
    istring &operator=(const istring &other) {
        string::operator=(other);
        return *this;
    }

    bool operator==(const char *s) const;
    bool operator!=(const char *s) const { return !(*this == s); }
};

bool operator==(const istring &a, const istring &b);
bool operator<(const istring &a, const istring &b);

} // namespace Common
