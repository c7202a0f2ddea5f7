#include "tests/app/gui/GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include <QTest>

namespace guitest {

std::string WindowName(const QWidget* window) {
  const auto* dialog = qobject_cast<const TemplateDialog*>(window);
  if (!dialog) return window->metaObject()->className();
  const DialogBehaviour& behaviour = dialog->Behaviour();
  const char* mangled = typeid(behaviour).name();
  int status = 0;
  const std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                      std::free);
  return status == 0 && name ? name.get() : mangled;
}

ModalCloser::ModalCloser(std::function<void(QWidget*)> action) : fAction(std::move(action)) {
  if (QWidget* already = QApplication::activeModalWidget()) fHandled.emplace_back(already);
  fTimer.setInterval(10);
  QObject::connect(&fTimer, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    for (const QPointer<QWidget>& handled : fHandled) {
      if (handled == modal) return;
    }
    fHandled.emplace_back(modal);
    seen.push_back(WindowName(modal));
    fAction(modal);
  });
  fTimer.start();
}

ModalCloser::~ModalCloser() { fTimer.stop(); }

void RunWindow(DialogBehaviour& dialog, const std::function<void(TemplateDialog&)>& body, int* others) {
  TemplateDialog window(dialog);
  bool ran = false;
  ModalCloser closer([&](QWidget* modal) {
    if (modal != &window) {
      if (others) ++*others;
      QTest::keyClick(modal, Qt::Key_Escape);
      return;
    }
    body(window);
    ran = true;
    window.reject();
  });
  window.DoModal();
  EXPECT_TRUE(ran);
}

}  // namespace guitest
