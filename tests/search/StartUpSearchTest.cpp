// The program's start-up takes its own folder and the current folder out of the search for libraries
// loaded by a bare name: once it has run, the format library planted beside this executable (the
// build puts it there, and the tests run with this folder current) is never the one a bare name loads.
#include "doubles/ImmediateEnd.h"
#include "keybuilder/PathFunctions.h"
#include "platform/SystemCalls.h"
#include "search/Folders.h"
#include "wizard/OrvellaApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string whereItLies(HMODULE module) {
    if (!module)
        return "not loaded";
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    if (::lstrcmpiA(path, (programFolder() + "\\fmifs.dll").c_str()) == 0)
        return "beside the program";
    if (::lstrcmpiA(path, (systemFolder() + "\\fmifs.dll").c_str()) == 0)
        return "in the system folder";
    return path;
}

// A refused start-up would wait for a click on its box; here it says what the box said.
int boxToStderr(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::fprintf(stderr, "box: %s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}

// The child's whole run: where a bare name leads before and after the start-up. The first load
// shows that nothing restricted the search before, and that the planted library would be found.
void loadByBareNameAroundTheStartUp() {
    sys.MessageBoxA = boxToStderr;
    HMODULE before = ::LoadLibraryA("fmifs.dll");
    std::fprintf(stderr, "before start-up: %s\n", whereItLies(before).c_str());
    if (before)
        ::FreeLibrary(before);
    if (::GetModuleHandleA("fmifs.dll"))
        std::fprintf(stderr, "the first library stayed loaded\n");

    COrvellaApp app;
    std::fprintf(stderr, "start-up: %s\n", app.InitInstance() ? "TRUE" : "FALSE");
    std::fprintf(stderr, "after start-up: %s\n", whereItLies(::LoadLibraryA("fmifs.dll")).c_str());
    std::fflush(stderr);
    endProcessAtOnce(0);
}

// In a process of its own: the restriction holds for the whole process from the moment it is set.
TEST(ProgramStartUp, ABareNameThenLoadsTheSystemsFormatLibraryNotTheOneBesideTheProgram) {
    ASSERT_TRUE(FileExists((programFolder() + "\\fmifs.dll").c_str())) << "fmifs.dll is not planted";
    ASSERT_TRUE(FileExists((systemFolder() + "\\fmifs.dll").c_str()))
        << "no format library in the system folder";
    // A built-in format library would answer the bare name wherever the search looked.
    char overrides[256] = {};
    ::GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    ASSERT_NE(std::string(overrides).find("fmifs=n"), std::string::npos) << "WINEDLLOVERRIDES: " << overrides;

    EXPECT_EXIT(loadByBareNameAroundTheStartUp(), ::testing::ExitedWithCode(0),
                "^before start-up: beside the program\n"
                "start-up: TRUE\n"
                "after start-up: in the system folder\n$");
}

} // namespace
