// USB key discovery: NT link resolution, the disk driver's USB list, the picked key's handles and size.
#include "keybuilder/DeviceManager.h"

#include "framework/Startup.h"
#include "platform/SystemCalls.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>
#include <winternl.h>

using Common::u32;
using Common::u64;

namespace {

using RtlInitAnsiStringFn = VOID(NTAPI *)(PANSI_STRING, PCSZ);
using RtlAnsiStringToUnicodeStringFn = NTSTATUS(NTAPI *)(PUNICODE_STRING, PCANSI_STRING, BOOLEAN);
using NtQuerySymbolicLinkObjectFn = NTSTATUS(NTAPI *)(HANDLE, PUNICODE_STRING, PULONG);
using NtOpenSymbolicLinkObjectFn = NTSTATUS(NTAPI *)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);

struct NtdllFunctions {
    bool bound = false;
    HMODULE module = nullptr;
    RtlInitAnsiStringFn initAnsiString = nullptr;
    RtlAnsiStringToUnicodeStringFn ansiToUnicode = nullptr;
    NtQuerySymbolicLinkObjectFn queryLink = nullptr;
    NtOpenSymbolicLinkObjectFn openLink = nullptr;
};

NtdllFunctions ntdll;

template <typename Fn> Fn lookUp(HMODULE module, const char *name) {
    FARPROC proc = module ? sys.GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// Link names and targets are at most 255 UTF-16 units; one more unit holds the terminator.
constexpr USHORT kLinkBufferBytes = 510;
constexpr ACCESS_MASK kLinkQueryAccess = 0x20001; // SYMBOLIC_LINK_QUERY | READ_CONTROL
constexpr ULONG kLinkOpenAttributes = OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE;

const char *const kFormatLibrary = "fmifs.dll";

CString format(const char *pattern, ...) {
    CString text;
    va_list args;
    va_start(args, pattern);
    text.FormatV(pattern, args);
    va_end(args);
    return text;
}

} // namespace

void InitNtdllFunctions() {
    if (ntdll.bound)
        return;
    HMODULE module = GetModuleHandleA("NTDLL.DLL");
    ntdll.module = module;
    ntdll.initAnsiString = lookUp<RtlInitAnsiStringFn>(module, "RtlInitAnsiString");
    ntdll.ansiToUnicode = lookUp<RtlAnsiStringToUnicodeStringFn>(module, "RtlAnsiStringToUnicodeString");
    ntdll.queryLink = lookUp<NtQuerySymbolicLinkObjectFn>(module, "NtQuerySymbolicLinkObject");
    ntdll.openLink = lookUp<NtOpenSymbolicLinkObjectFn>(module, "NtOpenSymbolicLinkObject");
    if (!module || !ntdll.initAnsiString || !ntdll.ansiToUnicode || !ntdll.queryLink || !ntdll.openLink) {
        sys.MessageBoxA(nullptr, "Unable to map NTDLL functions", "KX Error", MB_ICONHAND | MB_OK);
        sys.ExitProcess(static_cast<UINT>(-1));
        return;
    }
    ntdll.bound = true;
}

CString QuerySymbolicLink(CString name) {
    InitNtdllFunctions();
    if (!ntdll.bound)
        return {};
    ANSI_STRING ansiName;
    ntdll.initAnsiString(&ansiName, name.GetString());

    WCHAR nameBuffer[kLinkBufferBytes / sizeof(WCHAR) + 1];
    UNICODE_STRING unicodeName{0, kLinkBufferBytes, nameBuffer};
    if (!NT_SUCCESS(ntdll.ansiToUnicode(&unicodeName, &ansiName, FALSE)))
        return {};

    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &unicodeName, kLinkOpenAttributes, nullptr, nullptr);
    HANDLE link = nullptr;
    if (!NT_SUCCESS(ntdll.openLink(&link, kLinkQueryAccess, &attributes)))
        return {};

    WCHAR targetBuffer[kLinkBufferBytes / sizeof(WCHAR) + 1];
    UNICODE_STRING target{0, kLinkBufferBytes, targetBuffer};
    NTSTATUS status = ntdll.queryLink(link, &target, nullptr);
    ::CloseHandle(link);
    if (!NT_SUCCESS(status) || target.Length == 0)
        return {};
    targetBuffer[std::min<USHORT>(target.Length, kLinkBufferBytes) / sizeof(WCHAR)] = 0;

    int size = WideCharToMultiByte(CP_THREAD_ACP, 0, targetBuffer, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::vector<char> result(static_cast<size_t>(size));
    WideCharToMultiByte(CP_THREAD_ACP, 0, targetBuffer, -1, result.data(), size, nullptr, nullptr);
    return CString(result.data(), size - 1);
}

CString ResolveSymbolicLink(CString name) {
    InitNtdllFunctions();
    for (unsigned steps = 0;; ++steps) {
        CString target = QuerySymbolicLink(name);
        if (target.IsEmpty())
            return name;
        // A chain this long comes back to itself; such a name leads to no device.
        if (steps == kMaxLinkSteps)
            return {};
        name = target;
    }
}

CDeviceManager::CDeviceManager() {
    floppyA = 0;
    floppyB = 0;
    formatEx = nullptr;
    LoadFormatLibrary();
    openHandles = 0;
    std::memset(isUsbKey, 0, sizeof isUsbKey);
    std::memset(diskNumber, 0, sizeof diskNumber);
    letter = 0;
    formatFailed = 0;
    std::memset(&geometry, 0, sizeof geometry);
    volume = INVALID_HANDLE_VALUE;
    physicalDrive = INVALID_HANDLE_VALUE;
}

CDeviceManager::~CDeviceManager() {
    Close();
    UnloadFormatLibrary();
}

bool CDeviceManager::LoadFormatLibrary() {
    LoadSystemLibrary(kFormatLibrary);
    HMODULE module = GetModuleHandleA(kFormatLibrary);
    FARPROC proc = module ? GetProcAddress(module, "FormatEx") : nullptr;
    formatEx = reinterpret_cast<FormatExFn>(reinterpret_cast<void (*)()>(proc));
    return formatEx != nullptr;
}

bool CDeviceManager::UnloadFormatLibrary() {
    HMODULE module = GetModuleHandleA(kFormatLibrary);
    return module && FreeLibrary(module);
}

u32 CDeviceManager::GetUsbDiskMask() {
    u32 mask = 0;
    u32 bit = 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDiskEnumKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    u32 count = 0;
    DWORD size = sizeof count;
    if (RegQueryValueExA(key, "Count", nullptr, nullptr, reinterpret_cast<BYTE *>(&count), &size) !=
            ERROR_SUCCESS ||
        size < sizeof count) {
        RegCloseKey(key);
        return 0;
    }
    const size_t prefixLength = std::strlen(kUsbStoragePrefix);
    for (u32 i = 0; i < count; ++i) {
        CString name = format("%d", static_cast<int>(i));
        DWORD needed = 0;
        if (RegQueryValueExA(key, name.GetString(), nullptr, nullptr, nullptr, &needed) != ERROR_SUCCESS ||
            needed == 0)
            break;
        std::vector<char> data(needed);
        DWORD got = needed;
        if (RegQueryValueExA(key, name.GetString(), nullptr, nullptr, reinterpret_cast<BYTE *>(data.data()),
                             &got) != ERROR_SUCCESS ||
            got < needed)
            break;
        size_t length = strnlen(data.data(), data.size());
        if (length >= prefixLength && std::memcmp(data.data(), kUsbStoragePrefix, prefixLength) == 0)
            mask += bit;
        bit <<= 1;
    }
    RegCloseKey(key);
    return mask;
}

bool CDeviceManager::FindUsbKeys() {
    std::memset(isUsbKey, 0, sizeof isUsbKey);
    std::memset(diskNumber, 0, sizeof diskNumber);

    DWORD drives = GetLogicalDrives();
    CString letterTarget[26];
    for (int l = 0; l < 26; ++l) {
        if (!(drives & (1u << l)))
            continue;
        if (l == 0)
            floppyA = 1;
        if (l == 1)
            floppyB = 1;
        letterTarget[l] = ResolveSymbolicLink(format("\\??\\%c:", 'A' + l));
    }

    u32 usb = GetUsbDiskMask();
    CString diskTarget[kMaxUsbDisks];
    for (unsigned d = 0; d < kMaxUsbDisks; ++d)
        if (usb & (1u << d))
            diskTarget[d] = ResolveSymbolicLink(format("\\Device\\Harddisk%d\\Partition1", d));

    // An empty name is a chain that never ended: it names no device, so it matches nothing.
    for (int l = 0; l < 26; ++l) {
        if (!(drives & (1u << l)) || letterTarget[l].IsEmpty())
            continue;
        for (unsigned d = 0; d < kMaxUsbDisks; ++d) {
            if ((usb & (1u << d)) && letterTarget[l] == diskTarget[d]) {
                isUsbKey[l] = 1;
                diskNumber[l] = d;
            }
        }
    }
    return true;
}

bool CDeviceManager::Open(char driveLetter) {
    Close();
    letter = driveLetter;
    int index = std::toupper(static_cast<unsigned char>(driveLetter)) - 'A';
    if (index < 0 || index >= 26) {
        // No such drive: nothing to open, and no size left over from another key.
        std::memset(&geometry, 0, sizeof geometry);
        return true;
    }
    CString diskPath = format("\\\\.\\PhysicalDrive%d", static_cast<int>(diskNumber[index]));
    CString volumePath = format("\\\\.\\%c:", driveLetter);
    physicalDrive = OpenHandle(diskPath.GetString());
    volume = OpenHandle(volumePath.GetString());
    GetGeometry(physicalDrive);
    return true;
}

bool CDeviceManager::Close() {
    if (volume != INVALID_HANDLE_VALUE) {
        CloseHandle(volume);
        volume = INVALID_HANDLE_VALUE;
    }
    if (physicalDrive != INVALID_HANDLE_VALUE) {
        CloseHandle(physicalDrive);
        physicalDrive = INVALID_HANDLE_VALUE;
    }
    return true;
}

HANDLE CDeviceManager::OpenHandle(const char *path) {
    ++openHandles;
    return sys.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
}

bool CDeviceManager::CloseHandle(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    --openHandles;
    return ::CloseHandle(handle) != 0;
}

bool CDeviceManager::GetGeometry(HANDLE handle) {
    // Whatever fails here, the size must not be the previous key's.
    std::memset(&geometry, 0, sizeof geometry);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    if (!sys.DeviceIoControl(handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry,
                             &returned, nullptr)) {
        std::memset(&geometry, 0, sizeof geometry);
        return false;
    }
    return true;
}

u64 CDeviceManager::GetSizeMB() {
    if (geometry.Cylinders.HighPart >= 1)
        return 0;
    u32 a = geometry.BytesPerSector * geometry.SectorsPerTrack;
    u32 b = geometry.TracksPerCylinder * static_cast<u32>(geometry.Cylinders.LowPart);
    return (static_cast<u64>(a) * b) >> 20;
}

u32 CDeviceManager::GetFreeSpaceMB() {
    CString root = format("%c:\\", letter);
    ULARGE_INTEGER available;
    if (!sys.GetDiskFreeSpaceExA(root.GetString(), &available, nullptr, nullptr))
        return 0;
    return static_cast<u32>(available.QuadPart >> 20);
}

char CDeviceManager::GetDriveLetter() { return letter; }
