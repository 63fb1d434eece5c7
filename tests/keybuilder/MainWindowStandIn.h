// The device manager that the main window answers with, named by each test that formats.
#pragma once

#include "keybuilder/DeviceManager.h"

extern CDeviceManager *mainWindowDeviceManager;
