// velt-organizer.exe: the organizer as a Windows program. It reads no command
// line; the game's folder comes from the registry.
#include <windows.h>

#include "app/dialogs/CSortChangerApp.h"
#include "app/win32/Win32AppFace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Win32AppFace face;
  CSortChangerApp organizer(face);
  return organizer.Run();
}
