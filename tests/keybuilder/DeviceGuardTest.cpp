// Every test here runs behind the device guard; this checks that the guard holds.
#include "keybuilder/DeviceManager.h"

#include "support/win32/DeviceGuard.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

::testing::Environment *const guard = ::testing::AddGlobalTestEnvironment(new DeviceGuard);

HANDLE opened = nullptr;

TEST(DeviceGuardTest, ADeviceOpenWithoutFakeDevicesFailsTheTestAndOpensNothing) {
    EXPECT_NONFATAL_FAILURE(
        {
            CDeviceManager manager;
            opened = manager.OpenHandle("\\\\.\\PhysicalDrive0");
        },
        "a test reached the device \\\\.\\PhysicalDrive0");
    EXPECT_EQ(opened, INVALID_HANDLE_VALUE);
}

} // namespace
