// The key's format through the test format library in the prefix's system folder, and the handle refresh.
#include "keybuilder/DeviceManager.h"
#include "keybuilder/MainWindowStandIn.h"

#include "doubles/TestKey.h"
#include "support/FileBytes.h"
#include "support/win32/FakeKeyDevices.h"
#include "support/win32/WineUsbDisks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>

namespace {

using ::testing::ElementsAre;

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Key P: is USB disk 1, its files in a fresh folder; the manager is the main window's.
class KeyFormatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = disks.folderLetter('P');
        ASSERT_FALSE(root.empty());
        // Found as the scan finds a key: disk 1 on USB, its partition 1 behind the letter.
        disks.setDiskList({"IDE\\DiskST3500\\1", "USBSTOR\\Disk&Ven_Kx&Prod_Key\\1"});
        disks.defineLetter('P', "\\Device\\Harddisk1\\Partition1");
        manager.FindUsbKeys();
        ASSERT_TRUE(manager.isUsbKey['P' - 'A']);
        ASSERT_EQ(manager.diskNumber['P' - 'A'], 1u);
        devices.addDisk(1, FakeKeyDevices::geometry(3900, 255, 63, 512));
        devices.addVolume('P');
        manager.Open('P');
        mainWindowDeviceManager = &manager;
        HMODULE library = GetModuleHandleA("fmifs.dll");
        ASSERT_NE(library, nullptr);
        setOutcome = reinterpret_cast<SetFormatOutcomeFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, kSetFormatOutcome)));
        auto lastCallOf = reinterpret_cast<LastFormatCallFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, kLastFormatCall)));
        // Any other format library would format for real: stop before one is called.
        ASSERT_NE(setOutcome, nullptr) << "fmifs.dll is not the test library";
        ASSERT_NE(lastCallOf, nullptr) << "fmifs.dll is not the test library";
        setProbe = reinterpret_cast<SetFormatProbeFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, kSetFormatProbe)));
        ASSERT_NE(setProbe, nullptr) << "fmifs.dll is not the test library";
        lastCall = lastCallOf();
        setOutcome(FormatOutcome::Succeed);
    }

    void TearDown() override {
        if (setProbe)
            setProbe(nullptr, nullptr);
        mainWindowDeviceManager = nullptr;
    }

    WineUsbDisks disks;
    FakeKeyDevices devices;
    CDeviceManager manager;
    std::string root;
    SetFormatOutcomeFn setOutcome = nullptr;
    SetFormatProbeFn setProbe = nullptr;
    const FormatCall *lastCall = nullptr;
};

TEST_F(KeyFormatTest, AsksForAQuickFat32FormatOfTheKeysRoot) {
    std::ofstream(root + "old.txt") << "left from before";
    ASSERT_TRUE(manager.FormatFat32("DISC1"));

    EXPECT_EQ(lastCall->calls, 1);
    EXPECT_STREQ(lastCall->root, L"P:\\");
    EXPECT_EQ(lastCall->mediaFlag, 0x250u);
    EXPECT_STREQ(lastCall->fileSystem, L"FAT32");
    EXPECT_STREQ(lastCall->label, L"DISC1");
    EXPECT_TRUE(lastCall->quickFormat);
    EXPECT_EQ(lastCall->clusterSize, 0u);
    EXPECT_FALSE(lastCall->refused);
    EXPECT_FALSE(exists(root + "old.txt"));
    EXPECT_EQ(readWholeFile(root + kVolumeLabelFile), "DISC1\n");
}

// The manager's handles as the format library finds them when it is called.
struct HandlesAtFormat {
    const CDeviceManager *manager;
    int calls = 0;
    HANDLE physicalDrive = nullptr;
    HANDLE volume = nullptr;
    std::int32_t openHandles = -1;
};

void readHandles(void *context) {
    auto *seen = static_cast<HandlesAtFormat *>(context);
    ++seen->calls;
    seen->physicalDrive = seen->manager->physicalDrive;
    seen->volume = seen->manager->volume;
    seen->openHandles = seen->manager->openHandles;
}

TEST_F(KeyFormatTest, HoldsNoHandleWhileFormattingAndNoneAfter) {
    ASSERT_NE(manager.volume, INVALID_HANDLE_VALUE)
        << "the key starts opened, as the select-media page leaves it";
    HandlesAtFormat seen{&manager};
    setProbe(readHandles, &seen);
    ASSERT_TRUE(manager.FormatFat32("DISC1"));
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.physicalDrive, INVALID_HANDLE_VALUE) << "while the format runs";
    EXPECT_EQ(seen.volume, INVALID_HANDLE_VALUE) << "while the format runs";
    EXPECT_EQ(seen.openHandles, 0) << "while the format runs";

    EXPECT_EQ(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.openHandles, 0);
    EXPECT_THAT(devices.refused(), ::testing::IsEmpty());
}

struct OutcomeCase {
    FormatOutcome outcome;
    bool expected;
};

void PrintTo(const OutcomeCase &c, std::ostream *out) {
    const char *names[] = {"succeed", "fail", "progress only"};
    *out << names[static_cast<int>(c.outcome)];
}

class FormatOutcomeTest : public KeyFormatTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(FormatOutcomeTest, FailsOnlyWhenTheEndReportsFailure) {
    manager.formatFailed = 1;
    setOutcome(GetParam().outcome);
    EXPECT_EQ(manager.FormatFat32(""), GetParam().expected);
    EXPECT_EQ(manager.formatFailed, GetParam().expected ? 0u : 1u);
    EXPECT_GE(lastCall->callbackCalls, 3);
    EXPECT_EQ(lastCall->callbackRefusals, 0) << "the format is never cancelled";
}

INSTANTIATE_TEST_SUITE_P(Outcomes, FormatOutcomeTest,
                         ::testing::Values(OutcomeCase{FormatOutcome::Succeed, true},
                                           OutcomeCase{FormatOutcome::Fail, false},
                                           OutcomeCase{FormatOutcome::ProgressOnly, true}));

TEST_F(KeyFormatTest, ALabelLongerThanFat32HoldsIsCut) {
    manager.FormatFat32("A_VERY_LONG_VOLUME_LABEL_INDEED");
    EXPECT_STREQ(lastCall->label, L"A_VERY_LONG");
    EXPECT_EQ(lastCall->labelLength, 11u);

    manager.FormatFat32("");
    EXPECT_STREQ(lastCall->label, L"") << "a multiboot disc gets no label";
    EXPECT_FALSE(exists(root + kVolumeLabelFile));
}

TEST_F(KeyFormatTest, WithoutTheFormatLibraryNothingIsTouchedAndTheFormatFails) {
    std::ofstream(root + "keep.txt") << "still here";
    int callsBefore = lastCall->calls;
    manager.formatEx = nullptr;
    ASSERT_NE(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(manager.FormatFat32("DISC1"));
    EXPECT_EQ(lastCall->calls, callsBefore);
    EXPECT_TRUE(exists(root + "keep.txt"));
    EXPECT_EQ(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.openHandles, 0);
}

TEST_F(KeyFormatTest, RefreshReopensBothHandles) {
    manager.Close();
    size_t before = devices.requests().size();
    manager.Refresh();
    EXPECT_NE(manager.physicalDrive, INVALID_HANDLE_VALUE);
    EXPECT_NE(manager.volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(manager.openHandles, 2);
    std::vector<std::string> opened(devices.requests().begin() + static_cast<long>(before),
                                    devices.requests().end());
    EXPECT_THAT(opened,
                ElementsAre("\\\\.\\PhysicalDrive1", "\\\\.\\P:", "\\\\.\\PhysicalDrive1", "\\\\.\\P:"));
}

TEST_F(KeyFormatTest, AFormatAimedAtADriveThatIsNoTestKeyTouchesNothing) {
    manager.Open('C');
    EXPECT_FALSE(manager.FormatFat32("DISC1"));
    EXPECT_TRUE(lastCall->refused);
    EXPECT_STREQ(lastCall->root, L"C:\\");
    EXPECT_THAT(devices.requests(), ::testing::Contains("\\\\.\\C:"));
    EXPECT_THAT(devices.refused(), ::testing::Contains("\\\\.\\C:")) << "only images are ever opened";
}

TEST(FormatCallbackTest, OnlyAFailedEndMarksTheMainWindowsManager) {
    CDeviceManager manager;
    mainWindowDeviceManager = &manager;
    BOOLEAN failed = FALSE, succeeded = TRUE;
    DWORD percent = 40;

    EXPECT_TRUE(FormatCallback(0, 0, &percent));
    EXPECT_TRUE(FormatCallback(kFormatDoneCommand, 0, &succeeded));
    EXPECT_EQ(manager.formatFailed, 0u);
    EXPECT_TRUE(FormatCallback(1, 0, &failed)) << "another command with a zero byte";
    EXPECT_EQ(manager.formatFailed, 0u);
    EXPECT_TRUE(FormatCallback(kFormatDoneCommand, 0, &failed));
    EXPECT_EQ(manager.formatFailed, 1u);

    manager.formatFailed = 0;
    EXPECT_TRUE(FormatCallback(kFormatDoneCommand, 0, nullptr));
    EXPECT_EQ(manager.formatFailed, 1u) << "an end without its success flag is no success";
    mainWindowDeviceManager = nullptr;
}

} // namespace
