#pragma once

class CSortChangerDlg;
class iAppFace;

// The program: start sound and splash window, then the main dialog, run
// modally; the program ends when it closes. Keeps no data and no settings.
class CSortChangerApp {
 public:
  explicit CSortChangerApp(iAppFace& face) : fFace(face) {}
  CSortChangerApp(const CSortChangerApp&) = delete;
  CSortChangerApp& operator=(const CSortChangerApp&) = delete;

  // Runs the start-up sequence and the main dialog; returns the exit code
  // (0, or the code of a posted quit request).
  int Run();

  // The main dialog while it runs, otherwise null.
  CSortChangerDlg* MainWindow() const { return fMainWindow; }

 private:
  // Returns false: the program ends once the main dialog has closed.
  bool InitInstance();

  iAppFace& fFace;
  CSortChangerDlg* fMainWindow = nullptr;
};
