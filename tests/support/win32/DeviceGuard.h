// A safety net for a whole test executable: device opens through the system-call table are refused.
#pragma once

#include <gtest/gtest.h>

// While it is set up, a path in the device namespace ("\\.\..." or "\\?\...") given to
// sys.CreateFileA fails the test and opens nothing; other paths reach the real call. Fixtures that
// present devices (FakeKeyDevices) replace it for their life and put it back. Register it once per
// executable with ::testing::AddGlobalTestEnvironment.
class DeviceGuard : public ::testing::Environment {
  public:
    void SetUp() override;
    void TearDown() override;
};
