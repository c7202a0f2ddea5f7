#pragma once

#include "app/dialogs/iAppFace.h"
#include "app/gui/QtSoundService.h"

// The Qt face of the program: dialogs as TemplateDialog windows, sounds
// through Qt Multimedia (the system sound service while the face lives), the
// Fusion style for bevelled controls, the dialog colours as the application's
// palette. Make it after the QApplication and before the first dialog.
class QtAppFace : public iAppFace {
 public:
  QtAppFace();
  ~QtAppFace() override;
  QtAppFace(const QtAppFace&) = delete;
  QtAppFace& operator=(const QtAppFace&) = delete;

  void Enable3dControls() override;
  void SetDialogColors(Color background, Color text) override;
  void SetRegistryKey(const char* company) override;
  int RunModal(DialogBehaviour& dialog) override;
  int ExitCode() const override;

 private:
  QtSoundService fSounds;
};
