#include "tests/platform/ScratchHost.h"

#ifdef _WIN32
#include "platform/HostEnvWrapper.h"
#include "platform/Win32HostEnv.h"
#else
#include "platform/PosixHostEnv.h"
#endif

namespace {

constexpr const char* kDriveFolder = "drive_c";
constexpr const char* kDataFolder = "velt-organizer";

#ifdef _WIN32

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Whether `path` is `folder` or lies below it, comparing ASCII letters
// without regard to case as Windows does.
bool Inside(std::string_view path, std::string_view folder) {
  if (path.size() < folder.size()) return false;
  for (size_t i = 0; i < folder.size(); ++i) {
    char a = path[i];
    char b = folder[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    if (a != b && !(IsSeparator(a) && IsSeparator(b))) return false;
  }
  return path.size() == folder.size() || IsSeparator(path[folder.size()]);
}

// Moves drive C: into a folder (see ScratchHost).
class DriveFolderEnv : public platform::HostEnvWrapper {
 public:
  DriveFolderEnv(HostEnv* target, std::string scratch, std::string drive, std::string data)
      : HostEnvWrapper(target), fScratch(std::move(scratch)), fDrive(std::move(drive)), fData(std::move(data)) {}

  std::string HostPath(std::string_view windowsPath) override {
    if (Inside(windowsPath, fScratch) || windowsPath.size() < 2 || windowsPath[1] != ':' ||
        (windowsPath[0] != 'c' && windowsPath[0] != 'C')) {
      return std::string(windowsPath);
    }
    std::string_view rest = windowsPath.substr(2);
    if (rest.empty() || !IsSeparator(rest.front())) return fDrive + "\\" + std::string(rest);
    return fDrive + std::string(rest);
  }
  std::string WindowsPath(std::string_view hostPath) override {
    if (!Inside(hostPath, fDrive)) return std::string(hostPath);
    std::string rest(hostPath.substr(fDrive.size()));
    return rest.empty() ? "C:\\" : "C:" + rest;
  }
  std::unique_ptr<platform::HostFile> OpenFile(std::string_view windowsPath,
                                               const platform::FileOpenOptions& options) override {
    return HostEnvWrapper::OpenFile(HostPath(windowsPath), options);
  }
  bool RemoveFile(std::string_view windowsPath) override { return HostEnvWrapper::RemoveFile(HostPath(windowsPath)); }
  bool ReplaceFile(std::string_view targetPath, std::string_view replacementPath) override {
    return HostEnvWrapper::ReplaceFile(HostPath(targetPath), HostPath(replacementPath));
  }
  std::unique_ptr<platform::FolderListing> ListFolder(std::string_view windowsFolder) override {
    return HostEnvWrapper::ListFolder(HostPath(windowsFolder));
  }
  std::string CanonicalPath(std::string_view windowsPath) override {
    return WindowsPath(HostEnvWrapper::CanonicalPath(HostPath(windowsPath)));
  }
  std::string DataFolder() override { return fData; }
  std::vector<bool> MayHold(std::string_view windowsFolder, const std::vector<std::string>& names) override {
    return HostEnvWrapper::MayHold(HostPath(windowsFolder), names);
  }

 private:
  std::string fScratch;
  std::string fDrive;
  std::string fData;
};

#endif

}  // namespace

ScratchHost::ScratchHost() {
  fFolder.MakeFolder(kDriveFolder);
#ifdef _WIN32
  fHost = std::make_unique<platform::Win32HostEnv>();
  fEnv = std::make_unique<DriveFolderEnv>(fHost.get(), fFolder.Path(), fFolder.Path(kDriveFolder),
                                           fFolder.Path(kDataFolder));
#else
  fFolder.Link("dosdevices/c:", std::string("../") + kDriveFolder);
  fEnv = std::make_unique<platform::PosixHostEnv>(fFolder.Path(), fFolder.Path(kDataFolder));
#endif
}

ScratchHost::~ScratchHost() = default;

std::string ScratchHost::DrivePath(std::string_view relative) const {
  return fFolder.Path(std::string(kDriveFolder) + "/" + std::string(relative));
}

std::string ScratchHost::DataPath(std::string_view relative) const {
  const std::string folder = kDataFolder;
  return fFolder.Path(relative.empty() ? folder : folder + "/" + std::string(relative));
}
