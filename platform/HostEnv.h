#pragma once

#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace platform {

// Everything the organizer asks of the operating system goes through a HostEnv:
// the registry, the mapping of Windows-style paths onto the host and debugger
// output. Nothing above this folder includes system headers.
//
// One implementation per host (PosixHostEnv on Linux, over a Wine prefix).
// Tests wrap the current environment with a HostEnvWrapper to inject faults and
// install it with Replace().
class HostEnv {
 public:
  virtual ~HostEnv();

  // The local-machine registry hive.
  virtual Registry& MachineRegistry() = 0;

  // Maps a Windows-style path ("C:\Games\x.iff", "..\y", "\z") onto a host
  // path. Both "\" and "/" separate; "." and ".." are resolved lexically first;
  // a component that does not exist with its exact spelling is matched without
  // regard to ASCII case. Returns an empty string when the path names nothing the
  // host can reach (an unknown drive, a UNC path).
  virtual std::string HostPath(std::string_view windowsPath) = 0;

  // Text for a debugger; on Linux it goes to standard error.
  virtual void DebugOutput(std::string_view text) = 0;

  // The host's own environment, built on first use.
  static HostEnv& Default();

  // The environment in use: Default() unless a test replaced it.
  static HostEnv& Current();

  // Installs `env` as the current environment (null restores the default) and
  // returns the one it replaces. Not thread-safe: call it between operations.
  static HostEnv* Replace(HostEnv* env);
};

}  // namespace platform
