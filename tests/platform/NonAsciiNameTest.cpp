// Names with letters beyond ASCII ("Möbel", "Café") are UTF-8 inside the
// program whatever the host keeps on disk (bytes on Linux, UTF-16 on Windows),
// and every call takes and gives them exactly as written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/HostEnv.h"
#include "tests/platform/ScratchHost.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::FolderEntry;
using platform::HostFile;

namespace {

// Spelled with escapes so that the source file's encoding cannot matter.
constexpr const char* kFurniture = "M\xC3\xB6" "bel";  // Möbel
constexpr const char* kCafe = "Caf\xC3\xA9.iff";        // Café.iff

std::map<std::string, bool> Listed(platform::HostEnv& env, const std::string& folder) {
  std::map<std::string, bool> names;
  std::unique_ptr<platform::FolderListing> listing = env.ListFolder(folder);
  EXPECT_NE(listing, nullptr) << folder;
  FolderEntry entry;
  while (listing != nullptr && listing->Next(&entry)) names[entry.name] = entry.isFolder;
  return names;
}

TEST(NonAsciiNameTest, FilesAndFoldersAreListedOpenedAndSavedAsNamed) {
  ScratchHost scratch;
  platform::HostEnv& env = scratch.Env();
  const std::string hostFile = std::string("drive_c/") + kFurniture + "/" + kCafe;
  scratch.folder().WriteFile(hostFile, "caf\xC3\xA9 bytes");
  const std::string folder = std::string("C:\\") + kFurniture;
  const std::string file = folder + "\\" + kCafe;

  EXPECT_EQ(Listed(env, "C:\\"), (std::map<std::string, bool>{{kFurniture, true}}));
  EXPECT_EQ(Listed(env, folder), (std::map<std::string, bool>{{kCafe, false}}));

  std::unique_ptr<HostFile> original = env.OpenFile(
      file, {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead, FileDisposition::kOpenExisting, false});
  ASSERT_NE(original, nullptr);
  char bytes[11] = {};
  EXPECT_EQ(original->Read(bytes, 11), 11);
  EXPECT_EQ(std::string(bytes, 11), "caf\xC3\xA9 bytes");

  const std::string save = file + ".velt-save";
  std::unique_ptr<HostFile> replacement = env.OpenFile(
      save, {platform::kAccessRead | platform::kAccessWrite, platform::kShareNone, FileDisposition::kCreateAlways, false});
  ASSERT_NE(replacement, nullptr);
  EXPECT_EQ(replacement->Write("saved", 5), 5);
  ASSERT_TRUE(env.ReplaceFile(file, save));
  original.reset();
  replacement.reset();
  EXPECT_EQ(scratch.folder().ReadFile(hostFile), "saved");
  EXPECT_EQ(Listed(env, folder), (std::map<std::string, bool>{{kCafe, false}}));

  scratch.folder().MakeReadOnly(hostFile);
  std::unique_ptr<platform::FolderListing> listing = env.ListFolder(folder);
  ASSERT_NE(listing, nullptr);
  FolderEntry entry;
  ASSERT_TRUE(listing->Next(&entry));
  EXPECT_TRUE(env.IsReadOnly(entry));
  scratch.folder().MakeReadOnly(hostFile, false);
  EXPECT_FALSE(env.IsReadOnly(entry));

  EXPECT_TRUE(env.RemoveFile(file));
  EXPECT_TRUE(Listed(env, folder).empty());
}

}  // namespace
