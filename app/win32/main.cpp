// velt-organizer.exe: the organizer as a Windows program. The game's folder
// comes from the registry; the one option, --no-backup, turns off the backup
// of each file before its first save in the run.
#include <windows.h>

#include <cstdlib>
#include <string_view>

#include "app/core/BackupStore.h"
#include "app/dialogs/CSortChangerApp.h"
#include "app/win32/Win32AppFace.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  for (int i = 1; i < __argc; ++i) {
    if (__argv != nullptr && std::string_view(__argv[i]) == "--no-backup") BackupStore::Current().SetEnabled(false);
  }
  Win32AppFace face;
  CSortChangerApp organizer(face);
  return organizer.Run();
}
