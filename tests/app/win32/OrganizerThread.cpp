#include "tests/app/win32/OrganizerThread.h"

#include "app/dialogs/CSortChangerApp.h"
#include "app/win32/Win32AppFace.h"
#include "tests/app/win32/Win32TestWindows.h"

OrganizerThread::OrganizerThread() { fThread = CreateThread(nullptr, 0, &OrganizerThread::Main, this, 0, &fThreadId); }

OrganizerThread::~OrganizerThread() {
  if (fThread == nullptr) return;
  if (WaitForSingleObject(fThread, 0) == WAIT_TIMEOUT) {
    PostThreadMessageW(fThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(fThread, win32test::kWaitMs);
  }
  CloseHandle(fThread);
}

bool OrganizerThread::Join(DWORD timeoutMs) {
  return fThread != nullptr && WaitForSingleObject(fThread, timeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI OrganizerThread::Main(void* self) {
  auto* run = static_cast<OrganizerThread*>(self);
  Win32AppFace face;
  CSortChangerApp organizer(face);
  run->fExitCode = organizer.Run();
  return 0;
}
