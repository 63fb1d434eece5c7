// The shipped executable: a GUI program carrying its manifest and version.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string besideTests(const char *name) {
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

TEST(ProductExecutable, AsksForAdministratorRightsAndCommonControls6AndCarriesItsVersion) {
    HMODULE product = ::LoadLibraryExA(besideTests("orvella.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(product, nullptr);
    HRSRC found = ::FindResourceA(product, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    std::string manifest(static_cast<const char *>(::LockResource(::LoadResource(product, found))),
                         ::SizeofResource(product, found));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(::FindResourceA(product, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION), nullptr);
    ::FreeLibrary(product);

    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(besideTests("orvella.exe").c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoA(besideTests("orvella.exe").c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO *info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void **>(&info), &length));
    EXPECT_EQ(info->dwFileVersionMS, DWORD(MAKELONG(0, 2))) << "version 2.0";
}

TEST(ProductExecutable, IsAGuiProgram) {
    HANDLE file = ::CreateFileA(besideTests("orvella.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS64 nt;
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(file, &dos, sizeof(dos), &read, nullptr));
    ::SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN);
    ASSERT_TRUE(::ReadFile(file, &nt, sizeof(nt), &read, nullptr));
    ::CloseHandle(file);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

} // namespace
