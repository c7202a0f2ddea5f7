#include "tools/demo/DemoPrefix.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "tools/demo/DemoSamples.h"
#include "tools/demo/WineRegWriter.h"

namespace tools {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderProbeBytes = 4096;

struct DriveLink {
  const char* name;
  const char* target;
};

constexpr DriveLink kDriveLinks[] = {
    {"c:", "../drive_c"},
    {"z:", "/"},
};

bool Fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// Reads at most `limit` bytes; an unreadable file reads as empty.
std::string ReadPrefix(const fs::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(limit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

bool IsEmptyDirectory(const fs::path& path, std::error_code& code) {
  const fs::directory_iterator it(path, code);
  return !code && it == fs::directory_iterator();
}

bool WriteRegistry(const fs::path& prefix, std::string* error) {
  const fs::path path = prefix / "system.reg";
  const std::string text = DemoRegistryText();
  if (ReadPrefix(path, text.size() + 1) == text) return true;

  const fs::path temporary = prefix / "system.reg.velt-demo-new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return Fail(error, "cannot write " + Quoted(temporary));
    }
  }
  std::error_code code;
  fs::rename(temporary, path, code);
  if (code) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return Fail(error, "cannot replace " + Quoted(path) + ": " + code.message());
  }
  return true;
}

bool MakeDriveLinks(const fs::path& prefix, std::string* error) {
  const fs::path folder = prefix / "dosdevices";
  std::error_code code;
  fs::create_directories(folder, code);
  if (code) return Fail(error, "cannot create " + Quoted(folder) + ": " + code.message());
  for (const DriveLink& link : kDriveLinks) {
    const fs::path path = folder / link.name;
    const fs::file_status status = fs::symlink_status(path, code);
    if (code && status.type() != fs::file_type::not_found) {
      return Fail(error, "cannot examine " + Quoted(path) + ": " + code.message());
    }
    if (status.type() == fs::file_type::symlink) {
      if (fs::read_symlink(path, code) == fs::path(link.target) && !code) continue;
      fs::remove(path, code);
      if (code) return Fail(error, "cannot replace " + Quoted(path) + ": " + code.message());
    } else if (status.type() != fs::file_type::not_found) {
      return Fail(error, Quoted(path) + " exists and is not a symbolic link");
    }
    fs::create_symlink(link.target, path, code);
    if (code) return Fail(error, "cannot create " + Quoted(path) + ": " + code.message());
  }
  return true;
}

}  // namespace

std::string DemoRegistryText() {
  // The writer adds the ";; " that starts a comment line.
  WineRegWriter reg({std::string(kDemoMarkerLine.substr(3))});

  reg.BeginKey("Software\\Classes\\.iff");
  reg.String("", "VeltObject");
  reg.String("Content Type", "application/x-velt-object");

  reg.BeginKey("Software\\Classes\\VeltObject");
  reg.String("", "Velt Object File");

  reg.BeginKey("Software\\Microsoft\\Windows NT\\CurrentVersion");
  reg.String("CurrentBuildNumber", "7601");
  reg.String("CurrentVersion", "6.1");
  reg.String("RegisteredOwner", "Ren\u00e9e Eckstr\u00f6m");

  // A 32-bit program on a 64-bit system sees this key as
  // "Software\Korva\The Velt".
  reg.BeginKey("Software\\Wow6432Node\\Korva\\The Velt");
  reg.String("DisplayName", "The Velt");
  reg.ExpandString("HelpFolder", "%ProgramFiles(x86)%\\Korva\\The Velt\\Help");
  reg.Dword("Installed", 1);
  reg.Dword("Language", 0x409);
  reg.Binary("Signature", {0x56, 0x45, 0x4c, 0x54, 0x01, 0x00, 0x00, 0x00, 0x9a, 0x3c, 0x11, 0xe0,
                           0x42, 0x7f, 0x00, 0x10, 0x6b, 0x2d, 0xc4, 0x58, 0x31, 0x07, 0x20, 0x24,
                           0x00, 0xff, 0x80, 0x7f, 0x01, 0x02, 0x03, 0x04});
  reg.String("Tagline", "Say \"hello\" to the neighbours");
  reg.String("VELT_DATA", kDemoGameFolder);
  reg.String("Version", "1.0");

  reg.BeginKey("Software\\Wow6432Node\\Korva\\The Velt\\Downloads");
  reg.Dword("Count", 0);

  return reg.Text();
}

bool IsDemoPrefix(const fs::path& prefix) {
  std::istringstream header(ReadPrefix(prefix / "system.reg", kHeaderProbeBytes));
  std::string line;
  if (!std::getline(header, line) || line.rfind("WINE REGISTRY Version 2", 0) != 0) return false;
  while (std::getline(header, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == kDemoMarkerLine) return true;
    if (!line.empty() && line.front() == '[') return false;
  }
  return false;
}

fs::path DemoGameFolder(const fs::path& prefix) {
  return prefix / "drive_c" / "Program Files (x86)" / "Korva" / "The Velt";
}

bool MakeDemoPrefix(const fs::path& prefix, std::string* error, int* samplesWritten) {
  if (samplesWritten) *samplesWritten = 0;
  if (prefix.empty()) return Fail(error, "no prefix folder given");
  std::error_code code;
  const fs::file_status status = fs::status(prefix, code);
  if (status.type() == fs::file_type::not_found) {
    fs::create_directories(prefix, code);
    if (code) return Fail(error, "cannot create " + Quoted(prefix) + ": " + code.message());
  } else if (code) {
    return Fail(error, "cannot examine " + Quoted(prefix) + ": " + code.message());
  } else if (status.type() != fs::file_type::directory) {
    return Fail(error, Quoted(prefix) + " exists and is not a folder");
  } else {
    const bool empty = IsEmptyDirectory(prefix, code);
    if (code) return Fail(error, "cannot list " + Quoted(prefix) + ": " + code.message());
    if (!empty && !IsDemoPrefix(prefix)) {
      return Fail(error, Quoted(prefix) +
                             " is not empty and was not made by velt-demo; refusing to touch it");
    }
  }

  // The registry goes first: once a run has changed anything, the marker is there.
  if (!WriteRegistry(prefix, error) || !MakeDriveLinks(prefix, error)) return false;
  const fs::path game = DemoGameFolder(prefix);
  for (const fs::path& folder : {game / "GameData" / "UserObjects", game / "Downloads"}) {
    fs::create_directories(folder, code);
    if (code) return Fail(error, "cannot create " + Quoted(folder) + ": " + code.message());
  }
  return WriteDemoSamples(prefix, samplesWritten, error);
}

}  // namespace tools
