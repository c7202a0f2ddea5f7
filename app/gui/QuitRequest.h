#pragma once

// A request to end the program, as a quit message in the event queue would be:
// once posted, every running modal loop ends as soon as control returns to it,
// and every dialog started afterwards ends at once. The program's exit code is
// the one posted.
class QuitRequest {
 public:
  static void Post(int exitCode);
  static bool Pending();
  static int ExitCode();

  // Forgets a posted request (start of a run, and between tests).
  static void Clear();
};
