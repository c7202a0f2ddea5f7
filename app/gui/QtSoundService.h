#pragma once

#include <map>
#include <memory>

#include <QSoundEffect>
#include <QString>

#include "app/dialogs/SoundService.h"

// SoundService over Qt Multimedia sound effects, one per sound, created on
// first use and kept for the run. Playback never blocks: without an audio
// device the effects still load and play() returns at once.
class QtSoundService : public SoundService {
 public:
  QtSoundService();
  ~QtSoundService() override;

  void Play(const char* name) override;
  void Stop() override;

 private:
  QSoundEffect* Effect(const QString& path);

  std::map<QString, std::unique_ptr<QSoundEffect>> fEffects;  // by resource path
  QSoundEffect* fPlaying = nullptr;
};
