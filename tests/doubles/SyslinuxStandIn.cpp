// A stand-in boot-loader installer: "syslinux.exe -fma X:" writes X:\ldlinux.sys holding its command line
// and, when the test names a job in kSyslinuxJobVariable, whether it runs inside that job; it ends with the
// exit code a test sets in kSyslinuxExitCodeVariable, else 0.
#include "doubles/TestKey.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (argc != 3 || std::strcmp(argv[1], "-fma") != 0 || std::strlen(argv[2]) != 2 || argv[2][1] != ':')
        return 2;
    wchar_t root[] = L"?:\\";
    root[0] = static_cast<wchar_t>(argv[2][0]);
    if (!IsTestKeyRoot(root))
        return 3;
    char path[] = "?:\\ldlinux.sys";
    path[0] = argv[2][0];
    FILE *out = std::fopen(path, "wb");
    if (!out)
        return 4;
    std::fputs(GetCommandLineA(), out);
    char job[256];
    if (GetEnvironmentVariableA(kSyslinuxJobVariable, job, sizeof job)) {
        HANDLE named = OpenJobObjectA(JOB_OBJECT_QUERY, FALSE, job);
        BOOL inside = FALSE;
        bool member = named && IsProcessInJob(GetCurrentProcess(), named, &inside) && inside;
        std::fprintf(out, "\n%s %s", member ? "in" : "not in", job);
    }
    char exitCode[16];
    int code = 0;
    if (GetEnvironmentVariableA(kSyslinuxExitCodeVariable, exitCode, sizeof exitCode)) {
        code = std::atoi(exitCode);
        std::fprintf(out, "\nexit %d", code);
    }
    return std::fclose(out) == 0 ? code : 4;
}
