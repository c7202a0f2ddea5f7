#pragma once

#include <string>
#include <string_view>

#include "platform/HostEnv.h"
#include "platform/WinePathMapper.h"
#include "platform/WineRegistry.h"

namespace platform {

// The host environment on Linux: a Wine prefix supplies the machine registry
// (<prefix>/system.reg) and the drives (<prefix>/dosdevices).
class PosixHostEnv : public HostEnv {
 public:
  explicit PosixHostEnv(std::string prefix);

  Registry& MachineRegistry() override { return fRegistry; }
  std::string HostPath(std::string_view windowsPath) override { return fMapper.Map(windowsPath); }
  // Writes the text to standard error, ending it with a newline if it has none.
  void DebugOutput(std::string_view text) override;

  const std::string& prefix() const { return fMapper.prefix(); }

  // The prefix Wine itself would use: $WINEPREFIX when set and not empty,
  // otherwise .wine in the home folder ($HOME, or the password database when
  // HOME is unset or empty). Empty when there is no home folder either; an env
  // over an empty prefix opens no key and maps no drive.
  static std::string DefaultPrefix();

 private:
  WinePathMapper fMapper;
  WineRegistry fRegistry;
};

}  // namespace platform
