#include "app/dialogs/SoundService.h"

namespace {

class Silence : public SoundService {
 public:
  void Play(const char*) override {}
  void Stop() override {}
};

SoundService* gInstalled = nullptr;
SoundService* gSystem = nullptr;

}  // namespace

SoundService& SoundService::Instance() {
  static Silence silence;
  if (gInstalled) return *gInstalled;
  if (gSystem) return *gSystem;
  return silence;
}

SoundService* SoundService::Install(SoundService* service) {
  SoundService* previous = gInstalled;
  gInstalled = service;
  return previous;
}

void SoundService::SetSystemService(SoundService* service) { gSystem = service; }
