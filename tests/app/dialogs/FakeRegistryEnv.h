#pragma once

#include <string>

#include "platform/HostEnvWrapper.h"
#include "tests/app/core/FakeRegistry.h"

// Installs an environment whose registry is a FakeRegistry for the object's
// lifetime; everything else goes to the host's environment.
class FakeRegistryEnv : public platform::HostEnvWrapper {
 public:
  FakeRegistryEnv();
  ~FakeRegistryEnv() override;

  platform::Registry& MachineRegistry() override { return registry; }

  // Puts the game's key in place with this folder.
  void InstallGame(const std::string& folder);

  FakeRegistry registry;

 private:
  platform::HostEnv* fPrevious;
};
