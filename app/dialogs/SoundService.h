#pragma once

// Plays the program's wave sounds asynchronously: Play returns at once, a new
// sound replaces one still playing, and a missing sound or a missing audio
// device plays nothing. Each face provides the service of its system; tests
// install their own to observe the calls.
class SoundService {
 public:
  virtual ~SoundService() = default;

  // Plays the named sound ("Click", "Velt"); the name ignores case.
  virtual void Play(const char* name) = 0;

  // Stops whatever is playing.
  virtual void Stop() = 0;

  // The service in use: the installed one, else the face's, else one that
  // plays nothing.
  static SoundService& Instance();

  // Installs `service` over the face's (null takes it away again) and returns
  // the previous one. The caller keeps ownership.
  static SoundService* Install(SoundService* service);

  // The face's own service (null: none). The caller keeps ownership.
  static void SetSystemService(SoundService* service);
};
