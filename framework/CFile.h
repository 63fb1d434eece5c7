// CFile: unbuffered files over Win32 handles, and the exception that reports their failures.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <exception>

// Thrown by value (catch it by reference) when a read, write, seek or close fails, or when the
// constructor that opens cannot open.
class CFileException : public std::exception {
  public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(int cause = none, LONG osError = 0, const char *fileName = nullptr);

    // The cause that an operating-system error code stands for.
    static int OsErrorToException(LONG osError);

    const char *what() const noexcept override { return "file operation failed"; }

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class CFile {
  public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };

    enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile();
    // Opens or throws CFileException.
    CFile(const char *fileName, UINT openFlags);
    // Closes an open file; a failure to close is not reported from here.
    virtual ~CFile();
    CFile(const CFile &) = delete;
    CFile &operator=(const CFile &) = delete;

    // Without modeCreate the file must exist. False on failure, with the reason in `error` when given.
    virtual BOOL Open(const char *fileName, UINT openFlags, CFileException *error = nullptr);
    // Returns the bytes read, 0 at the end of the file.
    virtual UINT Read(void *buffer, UINT count);
    // Writes all `count` bytes or throws (a full disk included).
    virtual void Write(const void *buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    virtual ULONGLONG GetLength() const;
    virtual void Close();

    CString GetFilePath() const { return m_strFileName; }

    HANDLE m_hFile;

  private:
    [[noreturn]] void fail(DWORD osError) const;

    CString m_strFileName;
};
