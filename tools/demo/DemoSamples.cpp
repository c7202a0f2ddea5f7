#include "tools/demo/DemoSamples.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tools/demo/DemoCatalogue.h"
#include "tools/demo/DemoObjectWriter.h"
#include "tools/demo/DemoPrefix.h"
#include "tools/demo/FarArchiveWriter.h"

namespace tools {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTemporarySuffix = ".velt-demo-new";

// Makes the prefix's drives the ones the library reaches while it lives.
class PrefixHostEnv {
 public:
  explicit PrefixHostEnv(const fs::path& prefix)
      : fHost(prefix.string()), fPrevious(platform::HostEnv::Replace(&fHost)) {}
  ~PrefixHostEnv() { platform::HostEnv::Replace(fPrevious); }
  PrefixHostEnv(const PrefixHostEnv&) = delete;
  PrefixHostEnv& operator=(const PrefixHostEnv&) = delete;

 private:
  platform::PosixHostEnv fHost;
  platform::HostEnv* fPrevious;
};

bool Fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return false;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

// The Windows-style path of a path below the game folder.
std::string WindowsPath(const std::string& relative) {
  std::string path = std::string(kDemoGameFolder) + "\\" + relative;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool Missing(const fs::path& path) {
  std::error_code code;
  return fs::symlink_status(path, code).type() == fs::file_type::not_found;
}

// The host path a path below the game folder reaches: existing folders and
// files are matched without regard to letter case, as the organizer matches
// them, so a sample the player renamed only in case counts as there.
fs::path HostPath(const std::string& relative) {
  return fs::path(platform::HostEnv::Current().HostPath(WindowsPath(relative)));
}

// The temporary file beside a sample: its host path and its Windows-style
// path.
struct Temporary {
  fs::path fHost;
  std::string fWindows;
};

bool PrepareTemporary(const fs::path& path, const std::string& relative, Temporary* temporary, std::string* error) {
  temporary->fHost = path.string() + kTemporarySuffix;
  temporary->fWindows = WindowsPath(relative + kTemporarySuffix);
  std::error_code code;
  fs::create_directories(path.parent_path(), code);
  if (code) return Fail(error, "cannot create " + Quoted(path.parent_path()) + ": " + code.message());
  fs::remove(temporary->fHost, code);
  if (code) return Fail(error, "cannot replace " + Quoted(temporary->fHost) + ": " + code.message());
  return true;
}

bool PutInPlace(const fs::path& temporary, const fs::path& path, bool readOnly, std::string* error) {
  std::error_code code;
  if (readOnly) {
    fs::permissions(temporary, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, code);
    if (code) return Fail(error, "cannot make " + Quoted(temporary) + " read-only: " + code.message());
  }
  fs::rename(temporary, path, code);
  if (code) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return Fail(error, "cannot create " + Quoted(path) + ": " + code.message());
  }
  return true;
}

bool WriteObjectFile(const fs::path& path, const DemoFile& file, std::string* error) {
  Temporary temporary;
  if (!PrepareTemporary(path, file.fPath, &temporary, error)) return false;
  if (!WriteDemoObjectFile(temporary.fWindows, file, error)) {
    std::error_code ignored;
    fs::remove(temporary.fHost, ignored);
    return false;
  }
  return PutInPlace(temporary.fHost, path, file.fReadOnly, error);
}

bool ReadBytes(const fs::path& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteArchive(const fs::path& path, const DemoArchive& archive, std::string* error) {
  Temporary temporary;
  if (!PrepareTemporary(path, archive.fPath, &temporary, error)) return false;
  // Each member is made as an object file under the temporary name first.
  FarArchiveWriter writer;
  bool ok = true;
  for (const DemoFile& member : archive.fMembers) {
    std::string bytes;
    ok = WriteDemoObjectFile(temporary.fWindows, member, error);
    if (ok && !ReadBytes(temporary.fHost, &bytes)) ok = Fail(error, "cannot read back " + Quoted(temporary.fHost));
    if (!ok) break;
    writer.Add(member.fPath, bytes);
  }
  if (ok) {
    const std::string bytes = writer.Bytes();
    std::ofstream out(temporary.fHost, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) ok = Fail(error, "cannot write " + Quoted(temporary.fHost));
  }
  if (!ok) {
    std::error_code ignored;
    fs::remove(temporary.fHost, ignored);
    return false;
  }
  return PutInPlace(temporary.fHost, path, false, error);
}

}  // namespace

bool WriteDemoSamples(const fs::path& prefix, int* written, std::string* error) {
  if (written) *written = 0;
  const PrefixHostEnv host(prefix);
  for (const DemoFile& file : DemoObjectFiles()) {
    const fs::path path = HostPath(file.fPath);
    if (path.empty()) return Fail(error, "drive c: of " + Quoted(prefix) + " does not reach the game folder");
    if (!Missing(path)) continue;
    if (!WriteObjectFile(path, file, error)) return false;
    if (written) ++*written;
  }
  for (const DemoArchive& archive : DemoArchives()) {
    const fs::path path = HostPath(archive.fPath);
    if (path.empty()) return Fail(error, "drive c: of " + Quoted(prefix) + " does not reach the game folder");
    if (!Missing(path)) continue;
    if (!WriteArchive(path, archive, error)) return false;
    if (written) ++*written;
  }
  return true;
}

}  // namespace tools
