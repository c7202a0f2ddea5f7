#include "platform/HostEnv.h"

#ifdef _WIN32
#include "platform/Win32HostEnv.h"
#else
#include "platform/PosixHostEnv.h"
#endif

namespace platform {

namespace {

// Null while the default environment is in use.
HostEnv* sReplacement = nullptr;

}  // namespace

HostEnv::~HostEnv() = default;

std::unique_ptr<FolderListing> HostEnv::ListSubfolder(const FolderListing&, std::string_view,
                                                      std::string_view windowsFolder) {
  return ListFolder(windowsFolder);
}

std::vector<bool> HostEnv::MayHold(std::string_view /*windowsFolder*/, const std::vector<std::string>& names) {
  return std::vector<bool>(names.size(), true);
}

HostEnv& HostEnv::Default() {
  // Never destroyed: static objects that outlive this one (the process-wide
  // file system) may still reach the host while they are torn down.
#ifdef _WIN32
  static Win32HostEnv* sDefault = new Win32HostEnv();
#else
  static PosixHostEnv* sDefault = new PosixHostEnv(PosixHostEnv::DefaultPrefix());
#endif
  return *sDefault;
}

HostEnv& HostEnv::Current() { return sReplacement != nullptr ? *sReplacement : Default(); }

HostEnv* HostEnv::Replace(HostEnv* env) {
  HostEnv* previous = &Current();
  sReplacement = (env == &Default()) ? nullptr : env;
  return previous;
}

}  // namespace platform
