#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/dialogs/DialogBehaviour.h"
#include "app/gui/QuitRequest.h"
#include "app/gui/TemplateDialog.h"
#include "tests/app/dialogs/FakeRegistryEnv.h"
#include "tests/app/dialogs/RecordingSounds.h"

namespace guitest {

// The name a test knows a modal window by: the class of a dialog's
// behaviour ("CErrorBox"), else the widget's class ("QMessageBox").
std::string WindowName(const QWidget* window);

// Acts on modal windows while the code under test runs its modal loops: every
// 10 ms it looks at the active modal widget and hands each new one, once, to
// the action, which inspects it and usually closes it. A modal widget already
// up when the closer is made is left alone.
class ModalCloser {
 public:
  explicit ModalCloser(std::function<void(QWidget*)> action);
  ~ModalCloser();

  // Names of the modal widgets seen, in order (see WindowName).
  std::vector<std::string> seen;

 private:
  std::function<void(QWidget*)> fAction;
  std::vector<QPointer<QWidget>> fHandled;
  QTimer fTimer;
};

// Runs `dialog` in its Qt window; `body` works in the window once it is up,
// then the window is closed. Other modal windows that come up before (error
// boxes at start-up) are closed with Escape and counted in `others`.
void RunWindow(DialogBehaviour& dialog, const std::function<void(TemplateDialog&)>& body, int* others = nullptr);

// Clears a posted quit request before and after a test.
struct QuitGuard {
  QuitGuard() { QuitRequest::Clear(); }
  ~QuitGuard() { QuitRequest::Clear(); }
};

}  // namespace guitest
