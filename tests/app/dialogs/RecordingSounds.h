#pragma once

#include <string>
#include <vector>

#include "app/dialogs/SoundService.h"

// Records what the program asks the sound service to do ("play Click",
// "stop"), installed for the object's lifetime.
class RecordingSounds : public SoundService {
 public:
  RecordingSounds() : fPrevious(SoundService::Install(this)) {}
  ~RecordingSounds() override { SoundService::Install(fPrevious); }
  RecordingSounds(const RecordingSounds&) = delete;
  RecordingSounds& operator=(const RecordingSounds&) = delete;

  void Play(const char* name) override { calls.push_back(std::string("play ") + name); }
  void Stop() override { calls.push_back("stop"); }

  std::vector<std::string> calls;

 private:
  SoundService* fPrevious;
};
