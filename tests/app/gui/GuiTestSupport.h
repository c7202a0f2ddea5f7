#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "app/gui/QuitRequest.h"
#include "app/gui/SoundService.h"
#include "platform/HostEnvWrapper.h"
#include "tests/app/core/FakeRegistry.h"

namespace guitest {

// Records what the program asks the sound service to do.
class RecordingSounds : public SoundService {
 public:
  RecordingSounds() : fPrevious(SoundService::Install(this)) {}
  ~RecordingSounds() override { SoundService::Install(fPrevious); }

  void Play(const QString& name) override { calls.push_back("play " + name.toStdString()); }
  void Stop() override { calls.push_back("stop"); }

  std::vector<std::string> calls;

 private:
  SoundService* fPrevious;
};

// Installs an environment whose registry is a FakeRegistry for the test's
// lifetime; everything else goes to the host's environment.
class FakeRegistryEnv : public platform::HostEnvWrapper {
 public:
  FakeRegistryEnv();
  ~FakeRegistryEnv() override;

  platform::Registry& MachineRegistry() override { return registry; }

  // Puts the game's key in place with this folder.
  void InstallGame(const std::string& folder);

  FakeRegistry registry;  // from tests/app/core

 private:
  platform::HostEnv* fPrevious;
};

// Acts on modal windows while the code under test runs its modal loops: every
// 10 ms it looks at the active modal widget and hands each new one, once, to
// the action, which inspects it and usually closes it. A modal widget already
// up when the closer is made is left alone.
class ModalCloser {
 public:
  explicit ModalCloser(std::function<void(QWidget*)> action);
  ~ModalCloser();

  // Class names of the modal widgets seen, in order.
  std::vector<std::string> seen;

 private:
  std::function<void(QWidget*)> fAction;
  std::vector<QPointer<QWidget>> fHandled;
  QTimer fTimer;
};

// Clears a posted quit request before and after a test.
struct QuitGuard {
  QuitGuard() { QuitRequest::Clear(); }
  ~QuitGuard() { QuitRequest::Clear(); }
};

}  // namespace guitest
