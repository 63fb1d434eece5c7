// USB key discovery under Wine, and the picked key's handles and size through the system-call table.
#include "keybuilder/DeviceManager.h"

#include "support/win32/FakeKeyDevices.h"
#include "support/win32/WineUsbDisks.h"

#include "platform/SystemCalls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using Common::u32;
using Common::u64;

namespace {

int index(char letter) { return letter - 'A'; }

std::string query(const std::string &name) { return QuerySymbolicLink(name.c_str()).GetString(); }
std::string resolve(const std::string &name) { return ResolveSymbolicLink(name.c_str()).GetString(); }

// --- NT links --------------------------------------------------------------------------------------

TEST(SymbolicLinkTest, QueryAnswersTheTargetOfOneLinkOnly) {
    WineUsbDisks disks;
    disks.createLink("\\??\\OrvellaFirst", "\\??\\OrvellaSecond");
    disks.createLink("\\??\\OrvellaSecond", "\\Device\\OrvellaVolume");
    EXPECT_EQ(query("\\??\\OrvellaFirst"), "\\??\\OrvellaSecond");
    EXPECT_EQ(query("\\??\\orvellafirst"), "\\??\\OrvellaSecond") << "names compare without case";
    EXPECT_EQ(query("\\Device\\OrvellaVolume"), "");
    EXPECT_EQ(query("\\??\\OrvellaNothing"), "");
    EXPECT_EQ(query(""), "");
}

TEST(SymbolicLinkTest, NamesAndTargetsMustFitIn255Units) {
    WineUsbDisks disks;
    // "\??\Orvella" is 11 characters; the rest pads to the length under test.
    auto named = [](size_t length) { return "\\??\\Orvella" + std::string(length - 11, 'n'); };
    disks.createLink(named(254), "\\Device\\OrvellaVolume");
    disks.createLink(named(255), "\\Device\\OrvellaVolume");
    // Whether a target of exactly 255 units fits is the platform's call (Wine wants room for a NUL).
    disks.createLink("\\??\\OrvellaLongTarget254", "\\Device\\" + std::string(246, 't'));
    disks.createLink("\\??\\OrvellaLongTarget256", "\\Device\\" + std::string(248, 't'));

    EXPECT_EQ(query(named(254)), "\\Device\\OrvellaVolume");
    EXPECT_EQ(query(named(255)), "") << "the name and its terminator need 512 bytes";
    EXPECT_EQ(query("\\??\\OrvellaLongTarget254"), "\\Device\\" + std::string(246, 't'));
    EXPECT_EQ(query("\\??\\OrvellaLongTarget256"), "");
}

TEST(SymbolicLinkTest, ResolveFollowsTheChainAndStopsAtACycle) {
    WineUsbDisks disks;
    disks.createLink("\\??\\OrvellaStep1", "\\??\\OrvellaStep2");
    disks.createLink("\\??\\OrvellaStep2", "\\??\\OrvellaStep3");
    disks.createLink("\\??\\OrvellaStep3", "\\Device\\OrvellaVolume");
    disks.createLink("\\??\\OrvellaLoopA", "\\??\\OrvellaLoopB");
    disks.createLink("\\??\\OrvellaLoopB", "\\??\\OrvellaLoopA");
    disks.createLink("\\??\\OrvellaSelf", "\\??\\OrvellaSelf");

    EXPECT_EQ(resolve("\\??\\OrvellaStep1"), "\\Device\\OrvellaVolume");
    EXPECT_EQ(resolve("\\Device\\OrvellaVolume"), "\\Device\\OrvellaVolume");
    EXPECT_EQ(resolve("\\??\\OrvellaNothing"), "\\??\\OrvellaNothing");
    // A chain that never ends leads to no device.
    EXPECT_EQ(resolve("\\??\\OrvellaLoopA"), "");
    EXPECT_EQ(resolve("\\??\\OrvellaSelf"), "");
}

TEST(SymbolicLinkTest, AChainOf32LinksStillResolves) {
    WineUsbDisks disks;
    auto step = [](int i) { return "\\??\\OrvellaStep" + std::to_string(i); };
    for (int i = 0; i < 32; ++i)
        disks.createLink(step(i), i == 31 ? "\\Device\\OrvellaVolume" : step(i + 1));
    EXPECT_EQ(resolve(step(0)), "\\Device\\OrvellaVolume");
    disks.createLink(step(-1), step(0));
    EXPECT_EQ(resolve(step(-1)), "") << "33 links are taken for a cycle";
}

// --- Binding the NT functions ----------------------------------------------------------------------

std::string lookups;

FARPROC WINAPI countingLookup(HMODULE module, LPCSTR name) {
    lookups += std::string(name) + ";";
    return ::GetProcAddress(module, name);
}

FARPROC WINAPI lookupWithoutOpenLink(HMODULE module, LPCSTR name) {
    return std::string(name) == "NtOpenSymbolicLinkObject" ? nullptr : ::GetProcAddress(module, name);
}

int WINAPI messageToStderr(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::fprintf(stderr, "owner=%p text=%s caption=%s type=%u\n", static_cast<void *>(owner), text, caption,
                 type);
    return IDOK;
}

// In a process of its own: here an earlier test may have bound the functions already, there the
// first query must bind them.
TEST(NtdllFunctionsTest, BindsTheFourFunctionsOnceInOrder) {
    EXPECT_EXIT(
        {
            sys.GetProcAddress = countingLookup;
            lookups.clear();
            QuerySymbolicLink("\\??\\C:");
            std::fprintf(stderr, "first: %s\n", lookups.c_str());
            lookups.clear();
            InitNtdllFunctions();
            ResolveSymbolicLink("\\??\\C:");
            std::fprintf(stderr, "again: %s\n", lookups.c_str());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "first: RtlInitAnsiString;RtlAnsiStringToUnicodeString;NtQuerySymbolicLinkObject;"
        "NtOpenSymbolicLinkObject;\nagain: \n$");
}

TEST(NtdllFunctionsTest, AMissingFunctionIsShownAndEndsTheProcess) {
    EXPECT_EXIT(
        {
            sys.GetProcAddress = lookupWithoutOpenLink;
            sys.MessageBoxA = messageToStderr;
            QuerySymbolicLink("\\??\\C:");
            std::fprintf(stderr, "still running\n");
            std::exit(0);
        },
        ::testing::ExitedWithCode(-1),
        "owner=0+ text=Unable to map NTDLL functions caption=KX Error type=16\n$");
}

// --- The disk driver's USB list --------------------------------------------------------------------

struct MaskCase {
    const char *what;
    std::vector<const char *> entries;
    u32 expected;
};

void PrintTo(const MaskCase &c, std::ostream *out) { *out << c.what; }

class UsbDiskMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(UsbDiskMaskTest, MarksTheDisksWhoseEntryBeginsWithUsbstor) {
    WineUsbDisks disks;
    disks.setDiskList(GetParam().entries);
    CDeviceManager manager;
    EXPECT_EQ(manager.GetUsbDiskMask(), GetParam().expected) << GetParam().what;
}

std::vector<const char *> repeated(size_t n, const char *entry) {
    return std::vector<const char *>(n, entry);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, UsbDiskMaskTest,
    ::testing::Values(MaskCase{"usb, fixed, usb",
                               {"USBSTOR\\Disk&Ven_Kx&Prod_Key\\1", "IDE\\DiskST3500\\5&1", "USBSTOR\\X"},
                               0x5},
                      MaskCase{"the prefix is case-sensitive and whole",
                               {"usbstor\\Disk", "USBSTO", "USBSTORE", "xUSBSTOR"},
                               0x4},
                      MaskCase{"an empty entry matches nothing and ends nothing", {"", "USBSTOR\\Disk"}, 0x2},
                      MaskCase{"index 3 missing while Count says 5",
                               {"USBSTOR\\a", "USBSTOR\\b", "USBSTOR\\c", nullptr, "USBSTOR\\e"},
                               0x7},
                      MaskCase{"disks from 32 on never count", repeated(40, "USBSTOR\\Disk"), 0xFFFFFFFF},
                      MaskCase{"no disks", {}, 0}));

TEST(UsbDiskMaskTest, AMissingOrShortCountOrKeyGivesNoDisks) {
    WineUsbDisks disks;
    CDeviceManager manager;
    EXPECT_EQ(manager.GetUsbDiskMask(), 0u) << "no key";

    disks.setValue("0", REG_SZ, "USBSTOR\\Disk", 13);
    EXPECT_EQ(manager.GetUsbDiskMask(), 0u) << "no Count";

    disks.setValue("Count", REG_BINARY, "\x01\x00", 2);
    EXPECT_EQ(manager.GetUsbDiskMask(), 0u) << "a Count of 2 bytes";

    disks.setValue("Count", REG_BINARY, "\x01\x00\x00\x00", 4);
    EXPECT_EQ(manager.GetUsbDiskMask(), 1u) << "the type of Count is not looked at";
}

TEST(UsbDiskMaskTest, ReadsNoMoreEntriesThanCountSays) {
    WineUsbDisks disks;
    disks.setDiskList({"USBSTOR\\a", "USBSTOR\\b", "USBSTOR\\c"});
    DWORD two = 2;
    disks.setValue("Count", REG_DWORD, &two, sizeof two);
    CDeviceManager manager;
    EXPECT_EQ(manager.GetUsbDiskMask(), 0x3u);
}

// --- The USB key scan ------------------------------------------------------------------------------

// Disk 1 and disk 4 are USB keys; the others are what must never be taken for one.
class UsbKeyScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<const char *> list(34, "IDE\\DiskOther\\1");
        list[1] = "USBSTOR\\Disk&Ven_Kx&Prod_Key\\1";
        list[2] = "SCSI\\Disk&Ven_Generic&Prod_Card_Reader\\1"; // removable, on another bus
        list[4] = "USBSTOR\\Disk&Ven_Kx&Prod_Key\\4";
        list[5] = "USBSTOR\\Disk&Ven_Kx&Prod_Loop\\5";
        list[32] = "USBSTOR\\Disk&Ven_Kx&Prod_Key\\32";
        disks.setDiskList(list);

        disks.defineLetter('K', "\\Device\\Harddisk1\\Partition1");
        disks.defineLetter('L', "\\Device\\Harddisk1\\Partition2");
        disks.defineLetter('M', "\\Device\\Harddisk0\\Partition1");
        disks.defineLetter('O', "\\Device\\Harddisk32\\Partition1");
        disks.defineLetter('Q', "\\??\\C:\\windows");
        disks.defineLetter('R', "\\Device\\Harddisk2\\Partition1");

        // Both sides of disk 4 go through links, so only a real resolution matches them.
        disks.createDirectory("\\Device\\Harddisk4");
        disks.createLink("\\Device\\Harddisk4\\Partition1", "\\Device\\OrvellaVolume4");
        disks.createLink("\\??\\OrvellaStep1", "\\??\\OrvellaStep2");
        disks.createLink("\\??\\OrvellaStep2", "\\Device\\OrvellaVolume4");
        disks.defineLetter('N', "\\??\\OrvellaStep1");

        // Disk 5 and letter P end in the same cycle: neither names a device.
        disks.createDirectory("\\Device\\Harddisk5");
        disks.createLink("\\Device\\Harddisk5\\Partition1", "\\??\\OrvellaLoopB");
        disks.createLink("\\??\\OrvellaLoopA", "\\??\\OrvellaLoopB");
        disks.createLink("\\??\\OrvellaLoopB", "\\??\\OrvellaLoopA");
        disks.defineLetter('P', "\\??\\OrvellaLoopA");
    }

    std::string keys() const {
        std::string found;
        for (int l = 0; l < 26; ++l)
            if (manager.isUsbKey[l])
                found += static_cast<char>('A' + l);
        return found;
    }

    WineUsbDisks disks;
    CDeviceManager manager;
};

TEST_F(UsbKeyScanTest, OnlyPartitionOneOfAUsbDiskIsAKey) {
    ASSERT_TRUE(manager.FindUsbKeys());
    EXPECT_EQ(keys(), "KN");
    EXPECT_EQ(manager.diskNumber[index('K')], 1u);
    EXPECT_EQ(manager.diskNumber[index('N')], 4u);
    for (char other : std::string("ACLMOPQRZ"))
        EXPECT_EQ(manager.diskNumber[index(other)], 0u) << other;
}

TEST_F(UsbKeyScanTest, ARemovedKeyIsGoneAtTheNextScan) {
    manager.FindUsbKeys();
    disks.removeLetter('K');
    manager.FindUsbKeys();
    EXPECT_EQ(keys(), "N");
    EXPECT_EQ(manager.diskNumber[index('K')], 0u);
}

TEST_F(UsbKeyScanTest, WithoutTheDiskListThereAreNoKeys) {
    disks.removeDiskList();
    manager.FindUsbKeys();
    EXPECT_EQ(keys(), "");
}

TEST_F(UsbKeyScanTest, TheScanOpensNoDevice) {
    FakeKeyDevices devices;
    manager.FindUsbKeys();
    EXPECT_THAT(devices.requests(), ::testing::IsEmpty());
}

// --- The picked key's handles and size -------------------------------------------------------------

class PickedKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        manager.diskNumber[index('K')] = 1;
        manager.diskNumber[index('L')] = 2;
        manager.diskNumber[index('M')] = 3;
        devices.addDisk(1, FakeKeyDevices::geometry(3900, 255, 63, 512));
        devices.addVolume('K');
        devices.addDiskWithoutGeometry(3);
        devices.addVolume('M');
    }

    FakeKeyDevices devices;
    CDeviceManager manager;
};

TEST_F(PickedKeyTest, OpenOpensTheDiskThenTheVolumeAndReadsTheSize) {
    ASSERT_TRUE(manager.Open('K'));
    EXPECT_THAT(devices.requests(), ::testing::ElementsAre("\\\\.\\PhysicalDrive1", "\\\\.\\K:"));
    EXPECT_NE(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_NE(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.openHandles, 2);
    EXPECT_EQ(manager.GetDriveLetter(), 'K');
    EXPECT_EQ(manager.GetSizeMB(), 30592u);
}

TEST_F(PickedKeyTest, ALowerCaseLetterIsKeptAsGiven) {
    manager.Open('k');
    EXPECT_THAT(devices.requests(), ::testing::ElementsAre("\\\\.\\PhysicalDrive1", "\\\\.\\k:"));
    EXPECT_EQ(manager.GetDriveLetter(), 'k');
}

TEST_F(PickedKeyTest, AKeyWhoseDiskFailsReadsAsNoSizeNotTheLastKeys) {
    manager.Open('K');
    ASSERT_EQ(manager.GetSizeMB(), 30592u);

    EXPECT_TRUE(manager.Open('L')) << "disk 2 cannot be opened";
    EXPECT_EQ(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.GetSizeMB(), 0u);
    EXPECT_EQ(manager.openHandles, 2) << "failed opens count too";

    manager.Open('K');
    EXPECT_TRUE(manager.Open('M')) << "disk 3 refuses the geometry query";
    EXPECT_NE(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.GetSizeMB(), 0u);
}

TEST_F(PickedKeyTest, CloseClosesEachHandleOnce) {
    manager.Open('K');
    EXPECT_TRUE(manager.Close());
    EXPECT_EQ(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.openHandles, 0);
    EXPECT_TRUE(manager.Close());
    EXPECT_EQ(manager.openHandles, 0);

    EXPECT_FALSE(manager.CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(manager.openHandles, 0);
    EXPECT_FALSE(manager.GetGeometry(INVALID_HANDLE_VALUE));
}

TEST_F(PickedKeyTest, NoDriveLetterOpensNothing) {
    EXPECT_TRUE(manager.Open(0));
    EXPECT_THAT(devices.requests(), ::testing::IsEmpty());
    EXPECT_EQ(manager.GetSizeMB(), 0u);
}

struct SizeCase {
    long long cylinders;
    DWORD tracks, sectors, bytes;
    u64 expected;
};

void PrintTo(const SizeCase &c, std::ostream *out) {
    *out << c.cylinders << "x" << c.tracks << "x" << c.sectors << "x" << c.bytes;
}

class KeySizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(KeySizeTest, IsTheGeometryInMegabytes) {
    CDeviceManager manager;
    const SizeCase &c = GetParam();
    manager.geometry = FakeKeyDevices::geometry(c.cylinders, c.tracks, c.sectors, c.bytes);
    EXPECT_EQ(manager.GetSizeMB(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Geometries, KeySizeTest,
    ::testing::Values(SizeCase{3900, 255, 63, 512, 30592}, // a 32 GB key
                      SizeCase{0, 0, 0, 0, 0},
                      SizeCase{1LL << 32, 255, 63, 512, 0}, // cylinders of 2^32 and more
                      SizeCase{(1LL << 32) + 3900, 255, 63, 512, 0},
                      // A negative high part is not "1 or more": the low part alone counts.
                      SizeCase{-(1LL << 32) + 3900, 255, 63, 512, 30592},
                      // Both products wrap at 32 bits, to nothing or to what is left over.
                      SizeCase{0x01000000, 256, 63, 512, 0},    // 256 x 2^24 = 2^32
                      SizeCase{3900, 255, 0x00800000, 512, 0},  // 2^23 x 512 = 2^32
                      SizeCase{0x01000001, 256, 63, 512, 7},    // 256 left: 32256 x 256 bytes
                      SizeCase{3900, 255, 0x00800001, 512, 485} // 512 left: 512 x 994500 bytes
                      ));

u64 reportedFreeBytes;

BOOL WINAPI freeSpace(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER, PULARGE_INTEGER) {
    available->QuadPart = reportedFreeBytes;
    return TRUE;
}

TEST(KeyFreeSpaceTest, IsTheFileSystemsFreeSpaceInMegabytes) {
    WineUsbDisks disks;
    std::string root = disks.folderLetter('K');
    CDeviceManager manager;
    manager.letter = 'K';
    // The folder lies on a disk that other processes write to, so its free space moves between two
    // readings; a few megabytes either way still tells megabytes from any other unit.
    ULARGE_INTEGER expected;
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &expected, nullptr, nullptr));
    EXPECT_NEAR(static_cast<double>(manager.GetFreeSpaceMB()), static_cast<double>(expected.QuadPart >> 20),
                64.0);
    EXPECT_GT(manager.GetFreeSpaceMB(), 0u);

    manager.letter = 'W';
    EXPECT_EQ(manager.GetFreeSpaceMB(), 0u) << "a letter without a file system";

    manager.letter = 'K';
    ScopedSystemCall<decltype(sys.GetDiskFreeSpaceExA)> fake(sys.GetDiskFreeSpaceExA, freeSpace);
    reportedFreeBytes = (5ull << 30) + 3;
    EXPECT_EQ(manager.GetFreeSpaceMB(), 5120u);
    reportedFreeBytes = (1ull << 52) + (7ull << 20);
    EXPECT_EQ(manager.GetFreeSpaceMB(), 7u) << "cut to 32 bits";
}

// --- The format library's lifetime -----------------------------------------------------------------

TEST(FormatLibraryTest, IsBoundForTheManagersLifeAndReleasedAfter) {
    {
        CDeviceManager manager;
        EXPECT_NE(manager.formatEx, nullptr);
        EXPECT_NE(GetModuleHandleA("fmifs.dll"), nullptr);
        EXPECT_EQ(manager.letter, 0);
        EXPECT_EQ(manager.formatFailed, 0u);
        EXPECT_EQ(manager.volume, INVALID_HANDLE_VALUE);
        EXPECT_EQ(manager.physicalDrive, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(GetModuleHandleA("fmifs.dll"), nullptr);
}

} // namespace
