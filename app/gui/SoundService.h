#pragma once

#include <QString>

// Plays the program's wave sounds asynchronously: Play returns at once, a new
// sound replaces one still playing, and a missing sound or a missing audio
// device plays nothing. Tests install their own service to observe the calls.
class SoundService {
 public:
  virtual ~SoundService() = default;

  // Plays the named sound ("Click", "Velt"); the name ignores case.
  virtual void Play(const QString& name) = 0;

  // Stops whatever is playing.
  virtual void Stop() = 0;

  // The service in use; built on first use unless one was installed.
  static SoundService& Instance();

  // Installs `service` (null restores the default) and returns the previous
  // one. The caller keeps ownership.
  static SoundService* Install(SoundService* service);
};
