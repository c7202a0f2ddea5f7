#pragma once

#include "app/dialogs/iAppFace.h"
#include "app/win32/Win32SoundService.h"

// The Win32 face of the program: dialogs as Win32DialogFace windows from the
// program's dialog resources, sounds through PlaySound (the system sound
// service while the face lives), the dialog colours through the control-colour
// messages. Make one per run of the program.
class Win32AppFace : public iAppFace {
 public:
  Win32AppFace();
  ~Win32AppFace() override;
  Win32AppFace(const Win32AppFace&) = delete;
  Win32AppFace& operator=(const Win32AppFace&) = delete;

  void Enable3dControls() override;
  void SetDialogColors(Color background, Color text) override;
  void SetRegistryKey(const char* company) override;
  int RunModal(DialogBehaviour& dialog) override;
  int ExitCode() const override;

 private:
  Win32SoundService fSounds;
};
