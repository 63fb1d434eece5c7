// The fixture's removable drive presented as a USB key: the scan finds it and its files stay usable.
#include "keybuilder/DeviceManager.h"

#include "support/win32/DeviceGuard.h"
#include "support/win32/FakeKeyDevices.h"
#include "support/win32/WineDrives.h"
#include "support/win32/WineUsbDisks.h"

#include <gtest/gtest.h>

namespace {

// These drives are the machine's own Wine drives: no device of them may be opened for real.
::testing::Environment *const guard = ::testing::AddGlobalTestEnvironment(new DeviceGuard);

TEST(UsbKeyOnRemovableDrive, IsFoundSizedAndKeepsItsFiles) {
    WineUsbDisks disks;
    DriveFiles files(kWineRemovableLetter);
    files.write("disc1\\isolinux.cfg", "DEFAULT linux");
    disks.setDiskList({"IDE\\DiskST3500\\1", "USBSTOR\\Disk&Ven_Kx&Prod_Key\\1"});
    disks.redefineLetter(kWineRemovableLetter, "\\Device\\Harddisk1\\Partition1");

    CDeviceManager manager;
    manager.FindUsbKeys();
    for (int l = 0; l < 26; ++l)
        EXPECT_EQ(manager.isUsbKey[l], 'A' + l == kWineRemovableLetter) << static_cast<char>('A' + l);
    EXPECT_EQ(manager.diskNumber[kWineRemovableLetter - 'A'], 1u);

    FakeKeyDevices devices;
    devices.addDisk(1, FakeKeyDevices::geometry(3900, 255, 63, 512));
    devices.addVolume(kWineRemovableLetter);
    manager.Open(kWineRemovableLetter);
    EXPECT_EQ(manager.GetSizeMB(), 30592u);
    EXPECT_GT(manager.GetFreeSpaceMB(), 0u);
    manager.letter = kWineRemovableLetter;
    EXPECT_TRUE(manager.KeyDirectoryExists("disc1"));
}

} // namespace
