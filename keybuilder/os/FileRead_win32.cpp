// Reading a whole file into memory: the Win32 side.
#include "keybuilder/os/FileRead.h"

#include <windows.h>

FileReadResult ReadWholeFile(const char *path, std::vector<char> &out) {
    out.clear();
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileReadResult::cannotOpen;
    DWORD high = 0;
    DWORD size = SetFilePointer(file, 0, reinterpret_cast<LONG *>(&high), FILE_END);
    FileReadResult result = FileReadResult::cannotRead;
    if (size != INVALID_SET_FILE_POINTER && high == 0 && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0) {
        out.resize(size);
        DWORD done = 0;
        if (ReadFile(file, out.data(), size, &done, nullptr)) {
            // A file that shrank meanwhile gives what is there, never bytes that were not read.
            out.resize(done);
            result = FileReadResult::ok;
        }
    }
    CloseHandle(file);
    if (result != FileReadResult::ok)
        out.clear();
    return result;
}
