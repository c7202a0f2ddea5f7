#include "cli/GameLookup.h"

#include "app/core/GameFolder.h"
#include "platform/HostEnv.h"

namespace {

constexpr const char* kNotInstalled =
    "The Velt was not detected on this computer. You must have The Velt installed to use this program.";

}  // namespace

bool LookUpObjectFolder(StringBuffer* objectFolder, std::ostream& err) {
  switch (GameFolder::ReadObjectFolder(platform::HostEnv::Current().MachineRegistry(), objectFolder)) {
    case GameFolder::Status::kFound:
      return true;
    case GameFolder::Status::kKeyNotOpened:
      err << kNotInstalled << '\n';
      return false;
    case GameFolder::Status::kValueNotRead:
      err << "The game folder could not be read: the registry key " << GameFolder::kKeyPath
          << " holds no readable string value " << GameFolder::kValueName << " of at most "
          << GameFolder::kValueCapacity - 1 << " characters.\n";
      return false;
  }
  return false;
}
