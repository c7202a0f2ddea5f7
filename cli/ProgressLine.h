#pragma once

#include <cstddef>
#include <ostream>
#include <string>

// A progress line on a terminal: "<what> <done> of <total> files", redrawn
// in place with a carriage return on the error stream. Work on fewer than
// kShownFrom files finishes too soon to need one, and a stream that is no
// terminal gets none, so a log or a pipe never holds one.
class ProgressLine {
 public:
  static constexpr size_t kShownFrom = 20;

  // `out` is flushed before each redraw, so that what the program printed
  // reaches a shared terminal ahead of the line.
  ProgressLine(std::ostream& err, std::ostream& out, bool terminal);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Begins a stretch of work on `total` files, shown as `what`.
  void Start(const std::string& what, size_t total);
  void Show(size_t done);
  // Wipes the line, so that other output starts at the left margin.
  void Clear();

 private:
  std::ostream& fErr;
  std::ostream& fOut;
  bool fTerminal;
  bool fShown = false;
  std::string fWhat;
  size_t fTotal = 0;
  size_t fWidth = 0;
};
