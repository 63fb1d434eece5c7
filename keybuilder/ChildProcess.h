// Running an outside program inside a named job object while the caller's messages keep flowing.
#pragma once

#include <windows.h>

#include <functional>

// Starts the program file `applicationName` (a full path: no search, so nothing of the same name
// beside the executable or in the current folder can stand in for it) with `commandLine`, the given
// creation flags, minimised, in the system folder as its current folder, puts it into the job
// `jobName` when the platform offers job objects, and waits for it without a time limit, dispatching
// the calling thread's window messages meanwhile. `afterStart` runs right after a successful start,
// `afterEnd` once the child has ended. True when the child was started and has ended. A start
// failure shows the system's text for the error, captioned with string IDS_ERROR_CAPTION, and gives
// false; where the system folder cannot be named nothing is started, and the error is a missing path.
// The job stays open, with the child's descendants in it, until the program ends.
bool RunChildProcess(const char *applicationName, const char *commandLine, const char *jobName,
                     DWORD creationFlags, const std::function<void(const PROCESS_INFORMATION &)> &afterStart,
                     const std::function<void()> &afterEnd);

// Shows the system's text for `error` in a box without owner, captioned with IDS_ERROR_CAPTION,
// with the information icon: how a program that cannot be started is reported.
void ShowStartFailure(DWORD error);
