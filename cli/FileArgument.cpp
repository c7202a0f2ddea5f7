#include "cli/FileArgument.h"

#include "platform/HostEnv.h"

namespace {

bool LooksLikeWindowsPath(const std::string& argument) {
  const bool drive = argument.size() >= 2 && argument[1] == ':' &&
                     ((argument[0] >= 'A' && argument[0] <= 'Z') || (argument[0] >= 'a' && argument[0] <= 'z'));
  return drive || argument.find('\\') != std::string::npos;
}

}  // namespace

bool ResolveFileArgument(const std::string& argument, StringBuffer* windowsPath, std::ostream& err) {
  windowsPath->Clear();
  std::string path = argument;
  if (!LooksLikeWindowsPath(argument)) {
    path = platform::HostEnv::Current().WindowsPath(argument);
    if (path.empty()) {
      err << "velt-sort: " << argument
          << ": no drive of the Wine prefix reaches this file (the prefix's dosdevices need a drive "
             "for its folder, such as z: for /)\n";
      return false;
    }
  }
  if (path.size() + 1 > static_cast<size_t>(windowsPath->Capacity())) {
    err << "velt-sort: " << argument << ": the path is longer than " << windowsPath->Capacity() - 1
        << " characters\n";
    return false;
  }
  windowsPath->Assign(path.c_str());
  return true;
}
