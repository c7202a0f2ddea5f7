#pragma once

// Keeps Qt's reports of conditions that are normal for this program off the
// standard error stream: no runtime folder in the environment (Qt makes one
// of its own) and no sound server or audio device (the program then plays
// nothing, which is not an error). Every other message goes on to the
// handler that was in place before.
class QuietMessages {
 public:
  // Installs the filter over the handler in place; call before the
  // application object is made, which already reports a missing runtime
  // folder. Installing it again while it is in place changes nothing.
  static void Install();
};
