// The key's quick FAT32 format through the format library, and the refresh of the key's handles.
#include "keybuilder/DeviceManager.h"

#include "platform/SystemCalls.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

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

// The definition's UTF-8 in UTF-16.
std::wstring wideText(const char *text) {
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (units > 0) {
        std::wstring wide(static_cast<size_t>(units), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, &wide[0], units);
        wide.resize(static_cast<size_t>(units - 1));
        return wide;
    }
    // Text that is not UTF-8 came from elsewhere than a definition: read it in the runtime's locale.
    std::vector<wchar_t> wide(std::strlen(text) + 1, L'\0');
    size_t converted = 0;
    mbstowcs_s(&converted, wide.data(), wide.size(), text, _TRUNCATE);
    return wide.data();
}

// What one character takes in the code page of the FAT label: the bytes the call gives for it, a
// character the code page lacks as the default characters that stand for it. The default-character
// arguments stay null, as the UTF-8 code page requires. A character the call cannot convert is
// taken as too long, so the label ends before it rather than outgrowing its 11 bytes.
unsigned labelBytes(UINT codePage, const wchar_t *character, int units) {
    char bytes[8];
    int length =
        sys.WideCharToMultiByte(codePage, 0, character, units, bytes, sizeof bytes, nullptr, nullptr);
    return length <= 0 ? kMaxVolumeLabel + 1 : static_cast<unsigned>(length);
}

} // namespace

std::wstring FormatVolumeLabelForCodePage(const char *label, UINT codePage) {
    std::wstring wide = wideText(label ? label : "");
    size_t kept = 0;
    unsigned bytes = 0;
    while (kept < wide.size()) {
        // A character outside the basic plane is two units; it is kept or dropped whole.
        bool pair =
            IS_HIGH_SURROGATE(wide[kept]) && kept + 1 < wide.size() && IS_LOW_SURROGATE(wide[kept + 1]);
        int units = pair ? 2 : 1;
        bytes += labelBytes(codePage, &wide[kept], units);
        if (bytes > kMaxVolumeLabel)
            break;
        kept += static_cast<size_t>(units);
    }
    wide.resize(kept);
    return wide;
}

std::wstring FormatVolumeLabel(const char *label) { return FormatVolumeLabelForCodePage(label, GetOEMCP()); }

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
    std::wstring wideLabel = FormatVolumeLabel(volumeLabel);

    WCHAR fileSystem[] = L"FAT32";
    formatEx(wideRoot, kFormatMediaFlag, fileSystem, &wideLabel[0], TRUE, 0, FormatCallback);
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
