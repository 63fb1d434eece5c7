// The letters of the Wine drive fixture (WineDrives.cmake), for the tests registered with it
// (orvella_add_drive_tests defines the macros).
#pragma once

#include "support/win32/DriveFiles.h"

// A CD/DVD drive whose volume label is kWineCdromLabel, and a removable drive.
constexpr char kWineCdromLetter = ORVELLA_CDROM_LETTER;
constexpr char kWineRemovableLetter = ORVELLA_REMOVABLE_LETTER;
constexpr const char *kWineCdromLabel = ORVELLA_CDROM_LABEL;
