// CFile: unbuffered files over Win32 handles, and the exception that reports their failures.
#include "framework/CFile.h"

CFileException::CFileException(int cause, LONG osError, const char *fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
    case NO_ERROR:
        return none;
    case ERROR_FILE_NOT_FOUND:
        return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return badPath;
    case ERROR_TOO_MANY_OPEN_FILES:
        return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return accessDenied;
    case ERROR_INVALID_HANDLE:
        return invalidFile;
    case ERROR_CURRENT_DIRECTORY:
        return removeCurrentDir;
    case ERROR_CANNOT_MAKE:
        return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
        return badSeek;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return hardIO;
    case ERROR_SHARING_VIOLATION:
        return sharingViolation;
    case ERROR_LOCK_VIOLATION:
        return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return diskFull;
    case ERROR_HANDLE_EOF:
        return endOfFile;
    default:
        return genericException;
    }
}

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::CFile(const char *fileName, UINT openFlags) : m_hFile(INVALID_HANDLE_VALUE) {
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        throw error;
}

CFile::~CFile() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

BOOL CFile::Open(const char *fileName, UINT openFlags, CFileException *error) {
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    m_strFileName = fileName;

    DWORD access;
    switch (openFlags & 3) {
    case modeWrite:
        access = GENERIC_WRITE;
        break;
    case modeReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    default:
        access = GENERIC_READ;
        break;
    }

    DWORD share;
    switch (openFlags & 0x70) {
    case shareExclusive:
        share = 0;
        break;
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    default:
        // Without a share mode other openers are not kept out.
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    }

    DWORD disposition = OPEN_EXISTING;
    if (openFlags & modeCreate)
        disposition = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, (openFlags & modeNoInherit) ? FALSE : TRUE};
    HANDLE file =
        CreateFileA(fileName, access, share, &security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (error) {
            LONG code = static_cast<LONG>(GetLastError());
            *error = CFileException(CFileException::OsErrorToException(code), code, fileName);
        }
        return FALSE;
    }
    m_hFile = file;
    return TRUE;
}

void CFile::fail(DWORD osError) const {
    LONG code = static_cast<LONG>(osError);
    throw CFileException(CFileException::OsErrorToException(code), code, m_strFileName);
}

UINT CFile::Read(void *buffer, UINT count) {
    if (count == 0)
        return 0;
    DWORD done = 0;
    if (!ReadFile(m_hFile, buffer, count, &done, nullptr))
        fail(GetLastError());
    return done;
}

void CFile::Write(const void *buffer, UINT count) {
    if (count == 0)
        return;
    DWORD done = 0;
    if (!WriteFile(m_hFile, buffer, count, &done, nullptr))
        fail(GetLastError());
    // A short write means the volume is full.
    if (done != count)
        fail(ERROR_DISK_FULL);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(m_hFile, distance, &position, from))
        fail(GetLastError());
    return static_cast<ULONGLONG>(position.QuadPart);
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_hFile, &size))
        fail(GetLastError());
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::Close() {
    HANDLE file = m_hFile;
    m_hFile = INVALID_HANDLE_VALUE;
    if (file != INVALID_HANDLE_VALUE && !CloseHandle(file))
        fail(GetLastError());
}
