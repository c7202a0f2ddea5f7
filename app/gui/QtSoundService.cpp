#include "app/gui/QtSoundService.h"

#include <QUrl>

#include "app/gui/AppResources.h"

QtSoundService::QtSoundService() = default;

QtSoundService::~QtSoundService() { Stop(); }

QSoundEffect* QtSoundService::Effect(const QString& path) {
  auto found = fEffects.find(path);
  if (found != fEffects.end()) return found->second.get();
  auto effect = std::make_unique<QSoundEffect>();
  effect->setSource(QUrl(QStringLiteral("qrc") + path));
  return fEffects.emplace(path, std::move(effect)).first->second.get();
}

void QtSoundService::Play(const char* name) {
  Stop();
  const QString path = AppResources::SoundPath(QString::fromLatin1(name));
  if (path.isEmpty()) return;
  fPlaying = Effect(path);
  fPlaying->play();
}

void QtSoundService::Stop() {
  // Without an audio device an effect reports playing until stopped, so the
  // last one is always stopped explicitly rather than asked whether it plays.
  if (fPlaying) fPlaying->stop();
  fPlaying = nullptr;
}
