#pragma once

#include "platform/HostFailure.h"

namespace platform {

// The failure a Win32 error code (GetLastError) stands for.
HostFailure FailureFromWin32Error(unsigned long error);

// Records the failure `error` stands for as the thread's last host failure.
void NoteWin32Error(unsigned long error);

// The same for the calling thread's last Win32 error; answers false so that a
// failing call can end with `return NoteLastWin32Error();`.
bool NoteLastWin32Error();

}  // namespace platform
