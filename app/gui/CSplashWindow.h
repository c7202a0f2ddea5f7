#pragma once

#include <QTimer>

#include "app/gui/TemplateDialog.h"

// The picture shown while the start sound plays. It ends itself when its timer
// fires (6.5 s), when the left mouse button is released over it, or on Escape.
class CSplashWindow : public TemplateDialog {
  Q_OBJECT

 public:
  explicit CSplashWindow(QWidget* parent = nullptr);

  bool TimerActive() const { return fTimer.isActive(); }
  int TimerInterval() const { return fTimer.interval(); }

  // A timer event; timer 257 ends the window as OK would.
  void OnTimer(int timerId);

  void done(int result) override;

 protected:
  bool OnInitDialog() override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QTimer fTimer;
};
