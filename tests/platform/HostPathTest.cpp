// The calls on host paths and the canonical path, as the backups use them:
// folders made in the data folder, copies renamed into place without
// writing over a file, and one canonical path for every path to a file.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "platform/HostEnv.h"
#include "tests/platform/ScratchHost.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostEnv;
using platform::HostFile;

namespace {

constexpr char kSeparator = HostEnv::kHostSeparator;

FileOpenOptions Creating() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareNone, FileDisposition::kCreateAlways, false};
}
FileOpenOptions Reading() {
  return {platform::kAccessRead, platform::kShareRead, FileDisposition::kOpenExisting, false};
}

class HostPathTest : public ::testing::Test {
 protected:
  bool Write(const std::string& path, const std::string& bytes) {
    const std::unique_ptr<HostFile> file = fHost.OpenHostFile(path, Creating());
    return file != nullptr &&
           file->Write(bytes.data(), static_cast<int64_t>(bytes.size())) == static_cast<int64_t>(bytes.size()) &&
           file->Flush();
  }

  std::string Read(const std::string& path) {
    const std::unique_ptr<HostFile> file = fHost.OpenHostFile(path, Reading());
    if (file == nullptr) return "(none)";
    std::string bytes(64, '\0');
    bytes.resize(static_cast<size_t>(std::max<int64_t>(file->Read(bytes.data(), 64), 0)));
    return bytes;
  }

  ScratchHost fScratch;
  HostEnv& fHost = fScratch.Env();
};

TEST_F(HostPathTest, EveryPathToAFileHasTheSameCanonicalPath) {
  fScratch.folder().WriteFile("drive_c/Games/Sofas/Big Sofa.IFF", "x");
  for (const char* path : {"C:\\Games\\Sofas\\Big Sofa.IFF", "c:\\games\\sofas\\big sofa.iff",
                           "C:/Games/Chairs/../Sofas/Big Sofa.IFF", "c:\\GAMES\\.\\Sofas\\BIG SOFA.iff"}) {
    EXPECT_EQ(fHost.CanonicalPath(path), "C:\\Games\\Sofas\\Big Sofa.IFF") << path;
  }
  // A file that is not there: its folder's spelling, then the name as given.
  EXPECT_EQ(fHost.CanonicalPath("c:\\games\\sofas\\New.iff"), "C:\\Games\\Sofas\\New.iff");
  EXPECT_EQ(fHost.CanonicalPath("C:\\Games\\Missing\\New.iff"), "");
}

// Long names make a path past the classic limit of 260 characters, which
// the calls on host paths take on every host.
TEST_F(HostPathTest, FoldersAreMadeAndCopiesRenamedWithoutWritingOverAFile) {
  const std::string data = fHost.DataFolder();
  ASSERT_EQ(data, fScratch.DataPath());
  const std::string folder =
      data + kSeparator + std::string(120, 'a') + kSeparator + std::string(120, 'b') + kSeparator + "c d";
  ASSERT_GT(folder.size(), 260u);
  ASSERT_TRUE(fHost.MakeHostFolders(folder));
  EXPECT_TRUE(fHost.MakeHostFolders(folder + kSeparator)) << "a folder that is there is fine";

  const std::string first = folder + kSeparator + "partial-1";
  const std::string second = folder + kSeparator + "partial-2";
  const std::string named = folder + kSeparator + "v1";
  ASSERT_TRUE(Write(first, "one"));
  ASSERT_TRUE(Write(second, "two"));
  EXPECT_TRUE(fHost.RenameHostFile(first, named));
  EXPECT_FALSE(fHost.RenameHostFile(second, named));
  EXPECT_EQ(Read(named), "one");
  EXPECT_EQ(Read(second), "two");

  std::set<std::string> listed;
  const std::unique_ptr<platform::FolderListing> listing = fHost.ListHostFolder(folder);
  ASSERT_NE(listing, nullptr);
  platform::FolderEntry entry;
  while (listing->Next(&entry)) listed.insert(entry.name);
  EXPECT_EQ(listed, (std::set<std::string>{"partial-2", "v1"}));

  EXPECT_TRUE(fHost.RemoveHostFile(second));
  EXPECT_EQ(Read(second), "(none)");
  EXPECT_FALSE(fHost.MakeHostFolders(named + kSeparator + "below")) << "a file stands in the way";
}

}  // namespace
