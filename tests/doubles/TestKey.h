// What the stand-ins share with the tests: the mark of a test key folder and the format library's controls.
#pragma once

#include <windows.h>

#include <string>

// Only a folder that carries this file is a test key: the stand-ins never empty or write any other.
constexpr const char *kTestKeyMarker = ".orvella-test-key";
// Where the format library writes the label (Wine reads a folder drive's label from here).
constexpr const char *kVolumeLabelFile = ".windows-label";

inline bool IsTestKeyRoot(const std::wstring &root) {
    std::wstring marker = root + std::wstring(kTestKeyMarker, kTestKeyMarker + strlen(kTestKeyMarker));
    DWORD attributes = GetFileAttributesW(marker.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Names the job that the boot-loader stand-in reports itself in or out of.
constexpr const char *kSyslinuxJobVariable = "ORVELLA_SYSLINUX_JOB";
// When set, the boot-loader stand-in ends with this exit code after its work, as an installer that
// reports a failure does, and notes the code in ldlinux.sys.
constexpr const char *kSyslinuxExitCodeVariable = "ORVELLA_SYSLINUX_EXIT_CODE";

// How the next format ends.
enum class FormatOutcome : int {
    Succeed,      // progress, then the end command with success
    Fail,         // progress, then the end command with failure
    ProgressOnly, // progress and no end command
};

// What the last FormatEx call received.
struct FormatCall {
    int calls;
    wchar_t root[8];
    DWORD mediaFlag;
    wchar_t fileSystem[16];
    wchar_t label[64];
    size_t labelLength;
    BOOL quickFormat;
    DWORD clusterSize;
    int callbackCalls;
    int callbackRefusals; // callback answers that would have cancelled the format
    bool refused;         // the root was no test key, so nothing was touched
};

// Called at the start of every FormatEx call, before the key is touched, so a test can look at the
// caller's state while the format runs; null for none.
using FormatProbe = void (*)(void *context);

using SetFormatOutcomeFn = void (*)(FormatOutcome);
using LastFormatCallFn = const FormatCall *(*)();
constexpr const char *kSetFormatOutcome = "SetFormatOutcome";
constexpr const char *kLastFormatCall = "LastFormatCall";
using HoldNextFormatFn = void (*)(HANDLE started, HANDLE release);
constexpr const char *kHoldNextFormat = "HoldNextFormat";
using SetFormatProbeFn = void (*)(FormatProbe, void *context);
constexpr const char *kSetFormatProbe = "SetFormatProbe";
