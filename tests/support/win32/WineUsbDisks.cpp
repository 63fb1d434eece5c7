// The Wine USB disk fixture.
#include "support/win32/WineUsbDisks.h"

#include "doubles/TestKey.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <winternl.h>

namespace fs = std::filesystem;

namespace {

const char *const kDiskEnumKey = "SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum";

constexpr ACCESS_MASK kLinkAllAccess = STANDARD_RIGHTS_REQUIRED | 0x1;
constexpr ACCESS_MASK kDirectoryAllAccess = STANDARD_RIGHTS_REQUIRED | 0xF;

using CreateLinkFn = NTSTATUS(NTAPI *)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING);
using CreateDirectoryFn = NTSTATUS(NTAPI *)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using DosFileNameFn = LPWSTR(CDECL *)(LPCSTR);

template <typename Fn> Fn lookUp(const char *module, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(module), name)));
}

// An NT name that keeps its own UTF-16 text.
struct NtName {
    explicit NtName(const std::string &text) {
        int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        wide.assign(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
        wide.resize(static_cast<size_t>(n - 1));
        USHORT bytes = static_cast<USHORT>(wide.size() * sizeof(WCHAR));
        unicode = UNICODE_STRING{bytes, bytes, &wide[0]};
        InitializeObjectAttributes(&attributes, &unicode, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    }
    NtName(const NtName &) = delete;
    NtName &operator=(const NtName &) = delete;

    std::wstring wide;
    UNICODE_STRING unicode;
    OBJECT_ATTRIBUTES attributes;
};

// Targets that only this fixture ever gives a letter.
bool isOurTarget(const std::string &target) {
    const std::string disk = "\\Device\\Harddisk";
    return (target.compare(0, disk.size(), disk) == 0 && target.size() > disk.size() &&
            std::isdigit(static_cast<unsigned char>(target[disk.size()]))) ||
           target.compare(0, 11, "\\??\\Orvella") == 0 || target.compare(0, 7, "\\??\\C:\\") == 0;
}

std::string currentTarget(char letter) {
    char device[] = "?:";
    device[0] = letter;
    char target[1024] = {};
    return QueryDosDeviceA(device, target, sizeof target) ? std::string(target) : std::string();
}

// The folder behind "x:" in the prefix's own drive list.
std::wstring dosDeviceFolder(char letter) {
    const char *prefix = getenv("WINEPREFIX");
    auto toDos = lookUp<DosFileNameFn>("kernel32.dll", "wine_get_dos_file_name");
    if (!prefix || !toDos)
        return {};
    std::string unixPath = std::string(prefix) + "/dosdevices/" +
                           static_cast<char>(std::tolower(static_cast<unsigned char>(letter))) + ":";
    LPWSTR dos = toDos(unixPath.c_str());
    if (!dos)
        return {};
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

bool isOurFolder(const std::wstring &folder) { return IsTestKeyRoot(folder + L"\\"); }

void removeFolder(const std::wstring &folder) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder, ec);
}

} // namespace

WineUsbDisks::WineUsbDisks() {
    m_lock = CreateMutexA(nullptr, FALSE, "orvella-wine-usb-disks");
    // An abandoned lock (a test that crashed) is ours as well.
    WaitForSingleObject(m_lock, INFINITE);
    removeDiskList();
    for (const char *l = kUsbFixtureLetters; *l; ++l) {
        for (int guard = 0; guard < 8 && isOurTarget(currentTarget(*l)); ++guard)
            removeLetter(*l);
        std::wstring folder = dosDeviceFolder(*l);
        if (!folder.empty() && isOurFolder(folder))
            removeFolder(folder);
    }
}

WineUsbDisks::~WineUsbDisks() {
    for (auto it = m_letters.rbegin(); it != m_letters.rend(); ++it) {
        char device[] = "?:";
        device[0] = it->first;
        DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device,
                         it->second.c_str());
    }
    for (const auto &[letter, target] : m_replaced) {
        char device[] = "?:";
        device[0] = letter;
        DefineDosDeviceA(DDD_RAW_TARGET_PATH, device, target.c_str());
    }
    for (HANDLE object : m_objects)
        CloseHandle(object);
    for (const std::wstring &folder : m_folders)
        removeFolder(folder);
    removeDiskList();
    ReleaseMutex(m_lock);
    CloseHandle(m_lock);
}

void WineUsbDisks::setDiskList(const std::vector<const char *> &instancePaths) {
    DWORD count = static_cast<DWORD>(instancePaths.size());
    setValue("Count", REG_DWORD, &count, sizeof count);
    for (size_t i = 0; i < instancePaths.size(); ++i)
        if (instancePaths[i])
            setValue(std::to_string(i).c_str(), REG_SZ, instancePaths[i],
                     static_cast<DWORD>(std::strlen(instancePaths[i]) + 1));
}

void WineUsbDisks::setValue(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDiskEnumKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WineUsbDisks::removeDiskList() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kDiskEnumKey); }

void WineUsbDisks::defineLetter(char letter, const std::string &target) {
    ASSERT_NE(std::strchr(kUsbFixtureLetters, letter), nullptr) << letter << ": is not a fixture letter";
    char device[] = "?:";
    device[0] = letter;
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, device, target.c_str())) << device;
    m_letters.emplace_back(letter, target);
}

void WineUsbDisks::removeLetter(char letter) {
    char device[] = "?:";
    device[0] = letter;
    DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION, device, nullptr);
}

void WineUsbDisks::redefineLetter(char letter, const std::string &target) {
    std::string own = currentTarget(letter);
    ASSERT_FALSE(own.empty()) << letter << ": is no drive";
    char device[] = "?:";
    device[0] = letter;
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                                 device, own.c_str()));
    m_replaced.emplace_back(letter, own);
    ASSERT_TRUE(DefineDosDeviceA(DDD_RAW_TARGET_PATH, device, target.c_str())) << device;
    m_letters.emplace_back(letter, target);
}

void WineUsbDisks::createLink(const std::string &name, const std::string &target) {
    auto create = lookUp<CreateLinkFn>("ntdll.dll", "NtCreateSymbolicLinkObject");
    NtName link(name), to(target);
    HANDLE handle = nullptr;
    ASSERT_EQ(create(&handle, kLinkAllAccess, &link.attributes, &to.unicode), 0) << name;
    m_objects.push_back(handle);
}

void WineUsbDisks::createDirectory(const std::string &name) {
    auto create = lookUp<CreateDirectoryFn>("ntdll.dll", "NtCreateDirectoryObject");
    NtName directory(name);
    HANDLE handle = nullptr;
    ASSERT_EQ(create(&handle, kDirectoryAllAccess, &directory.attributes), 0) << name;
    m_objects.push_back(handle);
}

std::string WineUsbDisks::folderLetter(char letter) {
    EXPECT_NE(std::strchr(kUsbFixtureLetters, letter), nullptr) << letter << ": is not a fixture letter";
    std::wstring folder = dosDeviceFolder(letter);
    EXPECT_FALSE(folder.empty()) << "not running under Wine";
    // A drive entry that is not ours may lead anywhere; it is never touched.
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << letter << ": is taken";
    if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        return {};
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    m_folders.push_back(folder);
    std::ofstream(fs::path(folder) / kTestKeyMarker).put('\n');
    return std::string(1, letter) + ":\\";
}
