#include "app/gui/CSplashWindow.h"

#include <QCloseEvent>
#include <QMouseEvent>

#include "app/gui/ResourceIds.h"

CSplashWindow::CSplashWindow(QWidget* parent) : TemplateDialog(kDialogSplash, parent) {
  fTimer.setInterval(kSplashPeriodMs);
  connect(&fTimer, &QTimer::timeout, this, [this] { OnTimer(kSplashTimerId); });
}

bool CSplashWindow::OnInitDialog() {
  TemplateDialog::OnInitDialog();
  setWindowTitle(QStringLiteral("The Velt Plimsett Object Organizer"));
  fTimer.start();
  return true;
}

void CSplashWindow::OnTimer(int timerId) {
  if (timerId == kSplashTimerId) OnOK();
}

void CSplashWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    OnOK();
    return;
  }
  TemplateDialog::mouseReleaseEvent(event);
}

void CSplashWindow::closeEvent(QCloseEvent* event) {
  fTimer.stop();
  TemplateDialog::closeEvent(event);
}

void CSplashWindow::done(int result) {
  // The timer belongs to the window; it must not fire into a later run.
  fTimer.stop();
  TemplateDialog::done(result);
}
