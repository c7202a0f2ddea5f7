#include "app/gui/QuitRequest.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace {
bool gPending = false;
int gExitCode = 0;

// Ends the modal dialogs from the innermost outwards. Each one leaves the modal
// stack when it hides, so the loop stops when none is left or one refuses.
void EndModalDialogs() {
  if (!gPending) return;
  QWidget* previous = nullptr;
  while (QWidget* modal = QApplication::activeModalWidget()) {
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (!dialog || modal == previous) break;
    previous = modal;
    dialog->done(QDialog::Rejected);
  }
}
}  // namespace

void QuitRequest::Post(int exitCode) {
  gPending = true;
  gExitCode = exitCode;
  QTimer::singleShot(0, EndModalDialogs);
}

bool QuitRequest::Pending() { return gPending; }

int QuitRequest::ExitCode() { return gExitCode; }

void QuitRequest::Clear() {
  gPending = false;
  gExitCode = 0;
}
