// The demo's program: the product started on a simulated USB key. Before the wizard runs, the
// disk driver's list names a USB disk, the key's letter is made to resolve like partition 1 of that
// disk, and the system-call table answers the disk's geometry and, where the script could not back
// the letters with small file systems of their own, their total and free space.
//   ORVELLA_SIM_KEY        the key's letter (a removable drive backed by a folder)
//   ORVELLA_SIM_KEY_MB     the key's size in MB
//   ORVELLA_SIM_CDROM      the CD/DVD letter whose space the table answers
//   ORVELLA_SIM_SPACE      "table": the table answers both letters' space; else the real call does
//   ORVELLA_SIM_FORMAT     "fail": the test format library reports a failed format
#include "doubles/ImmediateEnd.h"
#include "doubles/TestKey.h"
#include "framework/Startup.h"
#include "platform/SystemCalls.h"
#include "wizard/OrvellaApp.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

COrvellaApp theApp;

namespace {

const char *const kDiskEnumKey = "SYSTEM\\CurrentControlSet\\Services\\Disk\\Enum";
const char *const kKeyDiskTarget = "\\Device\\Harddisk1\\Partition1";
const char *const kKeyDiskPath = "\\\\.\\PhysicalDrive1";
// Space counted in the clusters a small FAT32 key would use.
constexpr unsigned long long kClusterBytes = 4096;

struct Simulation {
    char key = 0;
    char cdrom = 0;
    unsigned long long sizeMB = 0;
    bool tableSpace = false;
    HANDLE disk = INVALID_HANDLE_VALUE;
    HANDLE volume = INVALID_HANDLE_VALUE;
} sim;

std::string environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool isDevicePath(const char *path) {
    return std::strncmp(path, "\\\\.\\", 4) == 0 || std::strncmp(path, "\\\\?\\", 4) == 0;
}

// The key's disk and volume open the null device, so reads give nothing and nothing is written
// anywhere; every other device path stays closed, so no device of the machine is ever reached.
HANDLE WINAPI createFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (!path || !isDevicePath(path))
        return ::CreateFileA(path, access, share, security, disposition, flags, templateFile);
    std::string volume = std::string("\\\\.\\") + sim.key + ":";
    bool isDisk = std::strcmp(path, kKeyDiskPath) == 0;
    bool isVolume = _stricmp(path, volume.c_str()) == 0;
    if (!isDisk && !isVolume) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = ::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    (isDisk ? sim.disk : sim.volume) = handle;
    return handle;
}

// One cylinder of 64 tracks of 32 sectors of 512 bytes is 1 MB, so the key's size is exactly the
// chosen one.
BOOL WINAPI deviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                            LPDWORD returned, LPOVERLAPPED overlapped) {
    if (handle == INVALID_HANDLE_VALUE || (handle != sim.disk && handle != sim.volume))
        return ::DeviceIoControl(handle, code, in, inSize, out, outSize, returned, overlapped);
    if (handle != sim.disk || code != IOCTL_DISK_GET_DRIVE_GEOMETRY || !out ||
        outSize < sizeof(DISK_GEOMETRY)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    DISK_GEOMETRY geometry{};
    geometry.Cylinders.QuadPart = static_cast<LONGLONG>(sim.sizeMB);
    geometry.MediaType = RemovableMedia;
    geometry.TracksPerCylinder = 64;
    geometry.SectorsPerTrack = 32;
    geometry.BytesPerSector = 512;
    std::memcpy(out, &geometry, sizeof geometry);
    if (returned)
        *returned = sizeof geometry;
    return TRUE;
}

unsigned long long usedBytes(const std::string &folder) {
    unsigned long long total = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!std::strcmp(entry.cFileName, ".") || !std::strcmp(entry.cFileName, ".."))
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            total += kClusterBytes + usedBytes(folder + entry.cFileName + "\\");
        } else {
            unsigned long long size =
                (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            total += (size + kClusterBytes - 1) / kClusterBytes * kClusterBytes;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return total;
}

char rootLetter(LPCSTR root) {
    if (!root || !std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':')
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
}

// The key holds its chosen size; the disc is full, so what it holds is what it uses.
BOOL WINAPI diskFreeSpace(LPCSTR root, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                          PULARGE_INTEGER freeTotal) {
    char letter = rootLetter(root);
    if (!sim.tableSpace || !letter || (letter != sim.key && letter != sim.cdrom))
        return ::GetDiskFreeSpaceExA(root, freeToCaller, total, freeTotal);
    unsigned long long used = usedBytes(std::string(1, letter) + ":\\");
    unsigned long long size = letter == sim.key ? sim.sizeMB << 20 : used;
    unsigned long long free = size > used ? size - used : 0;
    if (freeToCaller)
        freeToCaller->QuadPart = free;
    if (total)
        total->QuadPart = size;
    if (freeTotal)
        freeTotal->QuadPart = free;
    return TRUE;
}

bool listUsbDisk() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDiskEnumKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const char *disks[] = {"IDE\\Disk&Ven_Orvella&Prod_System\\0", "USBSTOR\\Disk&Ven_Orvella&Prod_Key\\1"};
    DWORD count = 2;
    bool ok = RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&count),
                             sizeof count) == ERROR_SUCCESS;
    for (DWORD i = 0; i < count; ++i)
        ok = ok && RegSetValueExA(key, std::to_string(i).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE *>(disks[i]),
                                  static_cast<DWORD>(std::strlen(disks[i]) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// The letter keeps reaching its folder's files; only its NT name changes, for this server session.
bool redefineKeyLetter() {
    char device[] = "?:";
    device[0] = sim.key;
    char target[1024] = {};
    if (!QueryDosDeviceA(device, target, sizeof target))
        return false;
    if (std::strcmp(target, kKeyDiskTarget) == 0)
        return true;
    return DefineDosDeviceA(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, device,
                            target) &&
           DefineDosDeviceA(DDD_RAW_TARGET_PATH, device, kKeyDiskTarget);
}

char letterFrom(const std::string &text) {
    return text.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

bool startSimulation(std::string &problem) {
    sim.key = letterFrom(environment("ORVELLA_SIM_KEY"));
    sim.cdrom = letterFrom(environment("ORVELLA_SIM_CDROM"));
    sim.sizeMB = std::strtoull(environment("ORVELLA_SIM_KEY_MB").c_str(), nullptr, 10);
    sim.tableSpace = environment("ORVELLA_SIM_SPACE") == "table";
    if (sim.key < 'A' || sim.key > 'Z' || sim.sizeMB == 0) {
        problem = "ORVELLA_SIM_KEY and ORVELLA_SIM_KEY_MB must name the key's letter and size.";
        return false;
    }
    if (GetDriveTypeA((std::string(1, sim.key) + ":\\").c_str()) != DRIVE_REMOVABLE) {
        problem = std::string("The key's letter ") + sim.key + ": is no removable drive.";
        return false;
    }
    sys.CreateFileA = createFile;
    sys.DeviceIoControl = deviceIoControl;
    sys.GetDiskFreeSpaceExA = diskFreeSpace;
    sys.ExitProcess = endProcessAtOnce;
    if (environment("ORVELLA_SIM_FORMAT") == "fail") {
        // The program loads the same library later and finds it told already.
        HMODULE library = LoadSystemLibrary("fmifs.dll");
        auto tell = reinterpret_cast<SetFormatOutcomeFn>(
            reinterpret_cast<void (*)()>(library ? GetProcAddress(library, kSetFormatOutcome) : nullptr));
        if (!tell) {
            problem = "The test format library is not in the system folder.";
            return false;
        }
        tell(FormatOutcome::Fail);
    }
    if (!listUsbDisk() || !redefineKeyLetter()) {
        problem = "The simulated USB disk could not be set up.";
        return false;
    }
    return true;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string problem;
    if (!startSimulation(problem)) {
        ::MessageBoxA(nullptr, problem.c_str(), "Orvella simulation", MB_ICONERROR);
        return 2;
    }
    return AfxWinMain();
}
