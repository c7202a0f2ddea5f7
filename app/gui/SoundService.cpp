#include "app/gui/SoundService.h"

#include <QCoreApplication>

#include "app/gui/QtSoundService.h"

namespace {

SoundService* gInstalled = nullptr;
QtSoundService* gDefault = nullptr;

// Sound effects must go before the application object does.
void DestroyDefault() {
  delete gDefault;
  gDefault = nullptr;
}

}  // namespace

SoundService& SoundService::Instance() {
  if (gInstalled) return *gInstalled;
  if (!gDefault) {
    gDefault = new QtSoundService();
    qAddPostRoutine(DestroyDefault);
  }
  return *gDefault;
}

SoundService* SoundService::Install(SoundService* service) {
  SoundService* previous = gInstalled;
  gInstalled = service;
  return previous;
}
