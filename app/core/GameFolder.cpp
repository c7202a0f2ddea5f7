#include "app/core/GameFolder.h"

#include <memory>
#include <string>

GameFolder::Status GameFolder::ReadObjectFolder(platform::Registry& registry,
                                                StringBuffer* objectFolder) {
  objectFolder->Clear();
  Status status = Status::kFound;
  std::string value;
  std::unique_ptr<platform::RegistryKey> key = registry.OpenMachineKey(kKeyPath);
  if (!key) {
    status = Status::kKeyNotOpened;
  } else if (!key->QueryString(kValueName, &value) ||
             value.size() >= static_cast<size_t>(kValueCapacity)) {
    status = Status::kValueNotRead;
  }
  if (status == Status::kFound) {
    // The folder ends at the first zero, as it would in a character buffer.
    objectFolder->Assign(value.c_str());
  }
  objectFolder->Append(kObjectSuffix);
  return status;
}
