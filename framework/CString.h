// CString: the class library's reference-counted 8-bit string.
#pragma once

#include <windows.h>

#include <cstdarg>

// Copies share one block and cost one increment; a change detaches first. Counts are not atomic: a
// string and its copies belong to one thread at a time. The text is in the system code page (or,
// for text taken from an XML document, UTF-8), NUL-terminated, with its length kept beside it.
class CString {
  public:
    CString();
    CString(const char *s);
    CString(const char *s, int length);
    CString(char c, int repeat = 1);
    CString(const CString &other);
    ~CString();

    CString &operator=(const CString &other);
    CString &operator=(const char *s);
    CString &operator=(char c);

    int GetLength() const;
    bool IsEmpty() const { return GetLength() == 0; }
    void Empty();
    operator const char *() const { return m_text; }
    const char *GetString() const { return m_text; }
    char GetAt(int index) const { return m_text[index]; }
    char operator[](int index) const { return m_text[index]; }

    CString &operator+=(const CString &s);
    CString &operator+=(const char *s);
    CString &operator+=(char c);

    int Compare(const char *s) const;
    int CompareNoCase(const char *s) const;
    int Find(const char *sub, int start = 0) const;
    int Find(char c, int start = 0) const;
    int ReverseFind(char c) const;
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Loads string `id` from the executable's string table in the language of the user interface,
    // converted to the system code page. False, leaving the string empty, when the table has no
    // text for the id.
    BOOL LoadString(UINT id);

    // printf-style formatting of the C runtime.
    void Format(const char *format, ...);
    void Format(UINT formatId, ...);
    void FormatV(const char *format, va_list args);

  private:
    struct Block;

    void assign(const char *s, int length);
    void append(const char *s, int length);
    void release();

    Block *block() const;

    char *m_text; // points just behind the block header
};

CString operator+(const CString &a, const CString &b);
CString operator+(const CString &a, const char *b);
CString operator+(const char *a, const CString &b);
CString operator+(const CString &a, char b);

bool operator==(const CString &a, const CString &b);
bool operator==(const CString &a, const char *b);
bool operator==(const char *a, const CString &b);
bool operator!=(const CString &a, const CString &b);
bool operator!=(const CString &a, const char *b);
bool operator!=(const char *a, const CString &b);
bool operator<(const CString &a, const CString &b);
