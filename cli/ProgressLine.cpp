#include "cli/ProgressLine.h"

ProgressLine::ProgressLine(std::ostream& err, std::ostream& out, bool terminal)
    : fErr(err), fOut(out), fTerminal(terminal) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Start(const std::string& what, size_t total) {
  Clear();
  fWhat = what;
  fTotal = total;
}

void ProgressLine::Show(size_t done) {
  if (!fTerminal || fTotal < kShownFrom) return;
  fOut.flush();
  const std::string line = fWhat + " " + std::to_string(done) + " of " + std::to_string(fTotal) + " files";
  fErr << '\r' << line;
  if (line.size() < fWidth) fErr << std::string(fWidth - line.size(), ' ');
  fErr.flush();
  fWidth = line.size() > fWidth ? line.size() : fWidth;
  fShown = true;
}

void ProgressLine::Clear() {
  if (!fShown) return;
  fErr << '\r' << std::string(fWidth, ' ') << '\r';
  fErr.flush();
  fShown = false;
  fWidth = 0;
}
