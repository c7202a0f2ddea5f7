#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/HostEnv.h"
#include "tests/platform/ScratchFolder.h"

// A host environment of its own whose drive C: is the folder drive_c of a
// scratch folder, so that tests name files as the program does
// ("C:\Games\x.iff") on every host:
// - on Linux the scratch folder is a Wine prefix (dosdevices/c: leads to
//   drive_c) behind a PosixHostEnv;
// - on Windows a Win32HostEnv does the work, behind a wrapper that moves paths
//   on C: into drive_c, so every call reaches the scratch folder by its real
//   Windows path. Paths already inside the scratch folder are left alone, and
//   WindowsPath turns them back into paths on C:.
// Its data folder (HostEnv::DataFolder) is the folder velt-organizer of the
// scratch folder, so that nothing a test does reaches the user's own.
// The environment is not installed; callers install it (or a wrapper of it).
class ScratchHost {
 public:
  ScratchHost();
  ~ScratchHost();
  ScratchHost(const ScratchHost&) = delete;
  ScratchHost& operator=(const ScratchHost&) = delete;

  platform::HostEnv& Env() { return *fEnv; }
  ScratchFolder& folder() { return fFolder; }
  const ScratchFolder& folder() const { return fFolder; }

  // The host path of `relative` ("/"-separated) below drive C:.
  std::string DrivePath(std::string_view relative = {}) const;
  // The host path of `relative` ("/"-separated) below the data folder.
  std::string DataPath(std::string_view relative = {}) const;

 private:
  ScratchFolder fFolder;
  std::unique_ptr<platform::HostEnv> fHost;
  std::unique_ptr<platform::HostEnv> fEnv;
};
