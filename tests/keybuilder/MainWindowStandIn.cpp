// These tests have no wizard sheet: the main window's device manager is whichever a test names.
#include "keybuilder/MainWindowStandIn.h"

CDeviceManager *mainWindowDeviceManager = nullptr;

CDeviceManager &MainWindowDeviceManager() { return *mainWindowDeviceManager; }
