// A test format library: empties a test key's folder, writes the label and reports through the callback.
#include "doubles/TestKey.h"

#include <cwchar>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

using Callback = BOOLEAN(WINAPI *)(DWORD command, DWORD subAction, PVOID info);

namespace {

constexpr DWORD kProgress = 0;
constexpr DWORD kDone = 11;

FormatOutcome outcome = FormatOutcome::Succeed;
FormatCall last;
FormatProbe probe = nullptr;
void *probeContext = nullptr;
// The next format signals `started` and then waits for `release` (at most a minute) before it
// reports: a test can look at the program while the format worker is busy.
HANDLE holdStarted = nullptr;
HANDLE holdRelease = nullptr;

void copyText(wchar_t *to, size_t capacity, const wchar_t *from) {
    if (!from) {
        to[0] = 0;
        return;
    }
    wcsncpy(to, from, capacity - 1);
    to[capacity - 1] = 0;
}

void report(Callback callback, DWORD command, PVOID info) {
    ++last.callbackCalls;
    if (!callback(command, 0, info))
        ++last.callbackRefusals;
}

// Everything but the marker goes, read-only files too.
void emptyKey(const fs::path &root) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const auto &entry : fs::directory_iterator(root, ec))
        if (entry.path().filename() != kTestKeyMarker)
            fs::remove_all(entry.path(), ec);
}

void writeLabel(const fs::path &root, const wchar_t *label) {
    char text[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, label, -1, text, sizeof text - 1, nullptr, nullptr);
    if (text[0])
        std::ofstream(root / kVolumeLabelFile, std::ios::binary) << text << '\n';
}

} // namespace

extern "C" __declspec(dllexport) void HoldNextFormat(HANDLE started, HANDLE release) {
    holdStarted = started;
    holdRelease = release;
}

extern "C" __declspec(dllexport) void SetFormatOutcome(FormatOutcome next) { outcome = next; }

extern "C" __declspec(dllexport) const FormatCall *LastFormatCall() { return &last; }

extern "C" __declspec(dllexport) void SetFormatProbe(FormatProbe next, void *context) {
    probe = next;
    probeContext = context;
}

extern "C" __declspec(dllexport) void WINAPI
    FormatEx(PWCHAR driveRoot, DWORD mediaFlag, PWCHAR fileSystem, PWCHAR label, BOOL quickFormat,
             DWORD clusterSize, Callback callback) {
    if (probe)
        probe(probeContext);
    int calls = last.calls + 1;
    last = FormatCall{};
    last.calls = calls;
    copyText(last.root, 8, driveRoot);
    last.mediaFlag = mediaFlag;
    copyText(last.fileSystem, 16, fileSystem);
    copyText(last.label, 64, label);
    last.labelLength = label ? wcsnlen(label, 1024) : 0;
    last.quickFormat = quickFormat;
    last.clusterSize = clusterSize;

    if (holdStarted) {
        SetEvent(holdStarted);
        WaitForSingleObject(holdRelease, 60000);
        holdStarted = holdRelease = nullptr;
    }
    BOOLEAN success = outcome == FormatOutcome::Succeed;
    if (!driveRoot || !IsTestKeyRoot(driveRoot)) {
        last.refused = true;
        success = FALSE;
        report(callback, kDone, &success);
        return;
    }
    for (DWORD percent : {0u, 50u, 100u})
        report(callback, kProgress, &percent);
    emptyKey(driveRoot);
    writeLabel(driveRoot, label);
    if (outcome != FormatOutcome::ProgressOnly)
        report(callback, kDone, &success);
}
