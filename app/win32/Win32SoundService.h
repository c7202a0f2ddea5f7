#pragma once

#include "app/dialogs/SoundService.h"

// SoundService over PlaySound: the wave resources ("WAVE") of the program's
// own file, played asynchronously and without the system's default sound when
// one is missing. PlaySound plays one sound at a time, so a new one replaces
// the last.
class Win32SoundService : public SoundService {
 public:
  void Play(const char* name) override;
  void Stop() override;
};
