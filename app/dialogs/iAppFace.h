#pragma once

#include <cstdint>

class DialogBehaviour;

// The program's side of a face: what the application object asks of the
// system before and between its dialogs (see iDialogFace for the dialogs).
class iAppFace {
 public:
  struct Color {
    uint8_t fRed = 0;
    uint8_t fGreen = 0;
    uint8_t fBlue = 0;
  };

  virtual ~iAppFace() = default;

  // Bevelled, three-dimensional dialog controls.
  virtual void Enable3dControls() = 0;
  // Background and text colours of every dialog and message box.
  virtual void SetDialogColors(Color background, Color text) = 0;
  // The company under which the system would keep the program's settings.
  virtual void SetRegistryKey(const char* company) = 0;
  // Runs `dialog` modally without an owner; returns the code it ended with,
  // or -1 once the program is quitting.
  virtual int RunModal(DialogBehaviour& dialog) = 0;
  // The code of a quit request posted since the face was made, else 0.
  virtual int ExitCode() const = 0;
};
