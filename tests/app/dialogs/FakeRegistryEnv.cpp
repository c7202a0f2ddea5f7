#include "tests/app/dialogs/FakeRegistryEnv.h"

FakeRegistryEnv::FakeRegistryEnv()
    : platform::HostEnvWrapper(&platform::HostEnv::Default()), fPrevious(platform::HostEnv::Replace(this)) {}

FakeRegistryEnv::~FakeRegistryEnv() { platform::HostEnv::Replace(fPrevious); }

void FakeRegistryEnv::InstallGame(const std::string& folder) {
  registry.keys["Software\\Korva\\The Velt"]["VELT_DATA"] = folder;
}
