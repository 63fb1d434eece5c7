// The key's quick FAT32 format through the format library, and the refresh of the key's handles.
#include "keybuilder/DeviceManager.h"

#include <cstdlib>
#include <initializer_list>

using Common::u32;
using Common::u64;

namespace {

constexpr DWORD kSectorBytes = 512;

// Reading the first sector of both handles makes the system look at the key afresh.
void readFirstSectors(HANDLE physicalDrive, HANDLE volume) {
    char sector[kSectorBytes];
    DWORD read;
    for (HANDLE handle : {physicalDrive, volume})
        if (handle != INVALID_HANDLE_VALUE)
            ReadFile(handle, sector, sizeof sector, &read, nullptr);
}

} // namespace

void CDeviceManager::SetFormatFailed(u32 value) { formatFailed = value; }

void CDeviceManager::Refresh() {
    Close();
    Open(letter);
    readFirstSectors(physicalDrive, volume);
    Close();
    Open(letter);
}

bool CDeviceManager::FormatFat32(const char *volumeLabel) {
    // Without the format library there is nothing to call: a format that cannot run has failed.
    // The handles are left closed all the same, as after any format.
    if (!formatEx) {
        Close();
        return false;
    }
    Refresh();
    readFirstSectors(physicalDrive, volume);
    // While the format runs, the program holds no handle of its own on the key.
    Close();

    char root[] = "?:\\";
    root[0] = letter;
    WCHAR wideRoot[sizeof root];
    MultiByteToWideChar(CP_ACP, 0, root, sizeof root, wideRoot, sizeof root);

    SetFormatFailed(0);
    // Longer labels are cut to what FAT32 can hold.
    WCHAR wideLabel[kMaxVolumeLabel + 1] = {};
    size_t converted = 0;
    mbstowcs_s(&converted, wideLabel, kMaxVolumeLabel + 1, volumeLabel ? volumeLabel : "", _TRUNCATE);

    WCHAR fileSystem[] = L"FAT32";
    formatEx(wideRoot, kFormatMediaFlag, fileSystem, wideLabel, TRUE, 0, FormatCallback);
    bool succeeded = formatFailed == 0;

    Refresh();
    readFirstSectors(physicalDrive, volume);
    Close();
    return succeeded;
}

BOOLEAN WINAPI FormatCallback(DWORD command, DWORD, PVOID info) {
    // The end of the format carries its success flag first; without one there is no success to report.
    if (command == kFormatDoneCommand && (!info || *static_cast<const BOOLEAN *>(info) == 0))
        MainWindowDeviceManager().SetFormatFailed(1);
    return TRUE;
}
