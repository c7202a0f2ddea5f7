#include "tests/app/gui/GuiTestSupport.h"

namespace guitest {

FakeRegistryEnv::FakeRegistryEnv()
    : platform::HostEnvWrapper(&platform::HostEnv::Default()),
      fPrevious(platform::HostEnv::Replace(this)) {}

FakeRegistryEnv::~FakeRegistryEnv() { platform::HostEnv::Replace(fPrevious); }

void FakeRegistryEnv::InstallGame(const std::string& folder) {
  registry.keys["Software\\Korva\\The Velt"]["VELT_DATA"] = folder;
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
    seen.push_back(modal->metaObject()->className());
    fAction(modal);
  });
  fTimer.start();
}

ModalCloser::~ModalCloser() { fTimer.stop(); }

}  // namespace guitest
