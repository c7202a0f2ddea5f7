#include "app/win32/Win32QuitRequest.h"

#include <windows.h>

namespace {
bool gPending = false;
int gExitCode = 0;
}  // namespace

void Win32QuitRequest::Post(int exitCode) {
  gPending = true;
  gExitCode = exitCode;
  PostQuitMessage(exitCode);
}

bool Win32QuitRequest::Pending() { return gPending; }

int Win32QuitRequest::ExitCode() { return gExitCode; }

void Win32QuitRequest::Clear() {
  gPending = false;
  gExitCode = 0;
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}
