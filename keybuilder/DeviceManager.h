// The target USB key: which letters are keys, the picked key's handles and size, its format and boot setup.
#pragma once

#include "common/Types.h"
#include "framework/CString.h"

#include <cstdint>
#include <string>
#include <windows.h>

// The disk driver's list of the disks it serves, one value per disk number.
constexpr const char *kDiskEnumKey = "SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum";
// Instance paths of USB mass-storage disks begin with this.
constexpr const char *kUsbStoragePrefix = "USBSTOR";
// Only disks 0 to 31 fit the mask, so only they can be keys.
constexpr unsigned kMaxUsbDisks = 32;
// A chain of links longer than this is taken for a cycle.
constexpr unsigned kMaxLinkSteps = 32;

// What the format is asked for: a quick FAT32 format with the default cluster size.
constexpr DWORD kFormatMediaFlag = 0x250;
// The callback command that ends the format; its information's first byte is the success flag.
constexpr DWORD kFormatDoneCommand = 11;
// A FAT32 volume label holds at most this many bytes of the OEM code page.
constexpr unsigned kMaxVolumeLabel = 11;

// The boot loader's installer, found beside the program, and the job it runs in.
constexpr const char *kSyslinuxProgram = "syslinux.exe";
constexpr const char *kSyslinuxCommand = "syslinux.exe -fma %c:";
constexpr const char *kSyslinuxJob = "KXUSB-Syslinux-Job";
// The multiboot boot file set, copied in this order from the program's folder to the key's root.
constexpr const char *kMultibootFiles[] = {"common.cfg",   "kxmboot.cfg",  "kxusb.jpg",
                                           "mainmenu.cfg", "syslinux.cfg", "vesamenu.c32"};
// A key that carries this file in its root is a multiboot key.
constexpr const char *kMultibootMarker = "kxmboot.cfg";
// One disc's entry in the key's syslinux.cfg: label, menu label, label, configuration file name;
// the first disc also becomes what the menu boots when its time runs out: time-out, label.
constexpr const char *kMenuEntry =
    "\nLABEL %s\nMENU LABEL %s\nKERNEL vesamenu.c32\nAPPEND %s/%s mainmenu.cfg\n";
constexpr const char *kMenuTimeout = "\nTIMEOUT %s\nONTIMEOUT %s\n";

// The format library's callback and entry point.
using FormatCallbackFn = BOOLEAN(WINAPI *)(DWORD command, DWORD subAction, PVOID info);
using FormatExFn = void(WINAPI *)(PWCHAR driveRoot, DWORD mediaFlag, PWCHAR fileSystem, PWCHAR label,
                                  BOOL quickFormat, DWORD clusterSize, FormatCallbackFn callback);

// Binds the NT link functions once per process; ends the process when they are missing.
void InitNtdllFunctions();
// The target of one NT symbolic link; empty when the name is no link or the query fails.
CString QuerySymbolicLink(CString name);
// The first name of the chain that is no link; empty when the chain does not end.
CString ResolveSymbolicLink(CString name);

class CDeviceManager {
  public:
    CDeviceManager();
    ~CDeviceManager();
    CDeviceManager(const CDeviceManager &) = delete;
    CDeviceManager &operator=(const CDeviceManager &) = delete;

    bool LoadFormatLibrary();
    bool UnloadFormatLibrary();

    bool FindUsbKeys();
    Common::u32 GetUsbDiskMask();

    bool Open(char driveLetter);
    bool Close();
    HANDLE OpenHandle(const char *path);
    bool CloseHandle(HANDLE handle);
    bool GetGeometry(HANDLE handle);
    Common::u64 GetSizeMB();
    Common::u32 GetFreeSpaceMB();
    char GetDriveLetter();

    void SetFormatFailed(Common::u32 value);
    bool FormatFat32(const char *volumeLabel);
    void Refresh();

    bool RunSyslinux();
    bool CopyMultibootFiles();
    bool AddSyslinuxMenuEntry(const char *label, const char *menuLabel, const char *configFilename,
                              int addMode, const char *timeoutValue);
    bool HasMultibootConfig();
    bool KeyDirectoryExists(const char *folderName);

    Common::u8 isUsbKey[26];
    Common::u32 diskNumber[26];
    std::int32_t openHandles;
    FormatExFn formatEx;
    char letter;
    Common::u32 formatFailed;
    DISK_GEOMETRY geometry;
    HANDLE volume;
    HANDLE physicalDrive;
    Common::u8 floppyA;
    Common::u8 floppyB;
};

// The first of the files the build takes from the program's folder that is not there: the boot
// loader's installer and, for a multiboot disc, the boot file set in its order; null when all are.
const char *MissingBootFile(const char *programFolder, bool multiboot);

// The format callback has no context argument; it reaches the one device manager through the
// application's main window, which defines this.
CDeviceManager &MainWindowDeviceManager();

// The label as the format function takes it: the definition's UTF-8 in UTF-16 (text that is not
// UTF-8 is read in the runtime's locale), cut to the whole characters that fit a FAT32 label.
std::wstring FormatVolumeLabel(const char *label);
// The same cut for the FAT label's code page given, which FormatVolumeLabel takes from the system.
std::wstring FormatVolumeLabelForCodePage(const char *label, UINT codePage);

// Passed to the format library's callback.
BOOLEAN WINAPI FormatCallback(DWORD command, DWORD subAction, PVOID info);
