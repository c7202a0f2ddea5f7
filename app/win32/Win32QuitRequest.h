#pragma once

// The program's quit request on Windows: a quit message in the thread's queue,
// which ends every running modal loop (a dialog's loop puts it back for the
// loop around it), and a note of it, so that no dialog starts afterwards and
// the program ends with the code posted.
class Win32QuitRequest {
 public:
  static void Post(int exitCode);
  static bool Pending();
  static int ExitCode();

  // Forgets a posted request and takes its quit message out of the queue
  // (start and end of a run, and between tests).
  static void Clear();
};
