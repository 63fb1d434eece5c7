// COrvellaApp: the application object; its start-up and its run of the wizard.
#pragma once

#include "framework/WinApp.h"

class COrvellaApp : public CWinApp {
  public:
    COrvellaApp() : CWinApp(nullptr) {}

    // FALSE ends the program before any window exists.
    BOOL InitInstance() override;
    // Runs the wizard as the main window; the exit code of the message loop.
    int Run() override;
};
