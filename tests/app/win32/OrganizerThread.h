#pragma once

#include <windows.h>

#include <atomic>

// Runs the organizer as velt-organizer.exe does (CSortChangerApp over a
// Win32AppFace) on a thread of its own, so that the test's thread can look at
// its windows and work them as a user would while its modal loops run. The
// dialogs come from this test program's resources, which are the organizer's.
class OrganizerThread {
 public:
  OrganizerThread();
  // Ends a run that is still going: a quit message ends every modal loop.
  ~OrganizerThread();
  OrganizerThread(const OrganizerThread&) = delete;
  OrganizerThread& operator=(const OrganizerThread&) = delete;

  DWORD ThreadId() const { return fThreadId; }

  // Waits for the run to end; false when it has not ended in time.
  bool Join(DWORD timeoutMs);
  // The program's exit code, once joined.
  int ExitCode() const { return fExitCode; }

 private:
  static DWORD WINAPI Main(void* self);

  HANDLE fThread = nullptr;
  DWORD fThreadId = 0;
  std::atomic<int> fExitCode{-1};
};
