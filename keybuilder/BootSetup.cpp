// Making the formatted key bootable: the boot loader, the multiboot file set and menu, and key tests.
#include "keybuilder/DeviceManager.h"

#include "framework/CFile.h"
#include "framework/CWaitCursor.h"
#include "keybuilder/ChildProcess.h"
#include "keybuilder/PathFunctions.h"

bool CDeviceManager::RunSyslinux() {
    CWaitCursor wait;
    CString command;
    command.Format(kSyslinuxCommand, letter);
    // The installer comes with the program: only the copy beside it may run, never one of the same
    // name in the current folder. Where the program's folder is not known there is no such copy.
    char folder[MAX_PATH];
    if (!GetModuleDirectory(folder, sizeof folder)) {
        ShowStartFailure(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // An installer that ran but failed leaves a key that cannot boot: its exit code decides, read
    // before the process handle is closed.
    HANDLE installer = nullptr;
    bool succeeded = false;
    bool ended = RunChildProcess(
        CString(folder) + "\\" + kSyslinuxProgram, command, kSyslinuxJob, CREATE_NO_WINDOW,
        [&installer](const PROCESS_INFORMATION &process) { installer = process.hProcess; },
        [&installer, &succeeded] {
            DWORD exitCode = 0;
            succeeded = GetExitCodeProcess(installer, &exitCode) && exitCode == 0;
        });
    return ended && succeeded;
}

const char *MissingBootFile(const char *programFolder, bool multiboot) {
    CString folder(programFolder);
    if (!FileExists(folder + "\\" + kSyslinuxProgram))
        return kSyslinuxProgram;
    if (multiboot)
        for (const char *name : kMultibootFiles)
            if (!FileExists(folder + "\\" + name))
                return name;
    return nullptr;
}

bool CDeviceManager::CopyMultibootFiles() {
    // Without the program's folder the names would resolve against the current drive's root.
    char folder[MAX_PATH];
    if (!GetModuleDirectory(folder, sizeof folder))
        return false;
    CString target;
    target.Format("%c:", letter);
    for (const char *name : kMultibootFiles) {
        CString to = target + "\\" + name;
        if (!CopyFileA(CString(folder) + "\\" + name, to, FALSE))
            return false;
        // A read-only file beside the program must not arrive read-only on the key.
        SetFileAttributesA(to, FILE_ATTRIBUTE_NORMAL);
    }
    return true;
}

bool CDeviceManager::AddSyslinuxMenuEntry(const char *label, const char *menuLabel,
                                          const char *configFilename, int addMode, const char *timeoutValue) {
    CString path;
    path.Format("%c:\\syslinux.cfg", letter);
    CFile file;
    if (!file.Open(path, CFile::modeReadWrite | CFile::shareDenyWrite))
        return false;
    // A key that runs full mid-entry must not take the wizard down: the entry simply was not written.
    try {
        file.SeekToEnd();
        CString text;
        text.Format(kMenuEntry, label, menuLabel, label, configFilename);
        file.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
        if (addMode == 0) {
            text.Format(kMenuTimeout, timeoutValue, label);
            file.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
        }
        file.Close();
    } catch (const CFileException &) {
        return false;
    }
    return true;
}

bool CDeviceManager::HasMultibootConfig() {
    CString path;
    path.Format("%c:\\%s", letter, kMultibootMarker);
    return FileExists(path);
}

bool CDeviceManager::KeyDirectoryExists(const char *folderName) {
    if (!folderName)
        return false;
    CString path;
    path.Format("%c:\\%s", letter, folderName);
    return DirectoryExists(path);
}
