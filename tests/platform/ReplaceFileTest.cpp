// HostEnv::ReplaceFile as a save uses it: the original open for reading and
// writing and shut to other writers, the replacement made beside it, open for
// reading and writing and shut to everyone, and both open while the one takes
// the other's place.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/HostEnv.h"
#include "tests/platform/ScratchHost.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostFailure;
using platform::HostFile;

namespace {

constexpr const char* kChair = "C:\\Objects\\Chair.iff";
constexpr const char* kSave = "C:\\Objects\\Chair.iff.velt-save";
constexpr const char* kHostChair = "drive_c/Objects/Chair.iff";

FileOpenOptions Original() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead, FileDisposition::kOpenExisting, false};
}
FileOpenOptions Replacement() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareNone, FileDisposition::kCreateAlways, false};
}
FileOpenOptions Reader() {
  return {platform::kAccessRead, platform::kShareRead, FileDisposition::kOpenExisting, false};
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fFolder.WriteFile(kHostChair, "old bytes"); }

  std::unique_ptr<HostFile> MakeReplacement(std::string_view bytes) {
    std::unique_ptr<HostFile> file = fHost.OpenFile(kSave, Replacement());
    if (file != nullptr) {
      EXPECT_EQ(file->Write(bytes.data(), static_cast<int64_t>(bytes.size())), static_cast<int64_t>(bytes.size()));
    }
    return file;
  }

  std::string Read(HostFile* file, int64_t count) {
    std::string bytes(static_cast<size_t>(count), '\0');
    bytes.resize(static_cast<size_t>(std::max<int64_t>(file->Read(bytes.data(), count), 0)));
    return bytes;
  }

  ScratchHost fScratch;
  platform::HostEnv& fHost = fScratch.Env();
  ScratchFolder& fFolder = fScratch.folder();
};

TEST_F(ReplaceFileTest, TheReplacementsOpenReachesTheFileAtTheTargetsPathAndHoldsIt) {
  std::unique_ptr<HostFile> original = fHost.OpenFile(kChair, Original());
  std::unique_ptr<HostFile> replacement = MakeReplacement("new bytes, longer");
  ASSERT_TRUE(original && replacement);

  ASSERT_TRUE(fHost.ReplaceFile(kChair, kSave));
  EXPECT_FALSE(std::filesystem::exists(fFolder.path() / "drive_c/Objects/Chair.iff.velt-save"));
  EXPECT_EQ(replacement->Size(), 17);
  ASSERT_TRUE(replacement->Seek(0));
  EXPECT_EQ(Read(replacement.get(), 3), "new");
  ASSERT_TRUE(replacement->Seek(17));
  EXPECT_EQ(replacement->Write("!", 1), 1);
  EXPECT_TRUE(replacement->Flush());

  // Nobody slips in: the file at the path is held as the replacement was.
  platform::SetLastHostFailure(HostFailure::kNone);
  EXPECT_EQ(fHost.OpenFile(kChair, Reader()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kInUse);
  EXPECT_EQ(fHost.OpenFile(kChair, Original()), nullptr);

  original.reset();
  replacement.reset();
  EXPECT_EQ(fFolder.ReadFile(kHostChair), "new bytes, longer!");
  EXPECT_NE(fHost.OpenFile(kChair, Original()), nullptr) << "the hold ends with the open";
}

TEST_F(ReplaceFileTest, TheTargetsReadOnlyAttributeIsKept) {
  std::unique_ptr<HostFile> original = fHost.OpenFile(kChair, Original());
  std::unique_ptr<HostFile> replacement = MakeReplacement("new");
  ASSERT_TRUE(original && replacement);
  // Another program may mark a file read-only while the organizer has it open.
  fFolder.MakeReadOnly(kHostChair);

  ASSERT_TRUE(fHost.ReplaceFile(kChair, kSave));
  EXPECT_TRUE(fFolder.IsReadOnly(kHostChair));
  EXPECT_EQ(replacement->Write("+", 1), 1) << "the open keeps the write access it was opened with";
  original.reset();
  replacement.reset();
  EXPECT_EQ(fFolder.ReadFile(kHostChair), "new+");
  EXPECT_EQ(fHost.OpenFile(kChair, Original()), nullptr);
}

TEST_F(ReplaceFileTest, ThePermissionBitsAreKept) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps access-control lists, not permission bits";
#endif
  std::filesystem::permissions(fFolder.path() / kHostChair, std::filesystem::perms(0640));
  std::unique_ptr<HostFile> replacement = MakeReplacement("new");
  ASSERT_NE(replacement, nullptr);
  ASSERT_TRUE(fHost.ReplaceFile(kChair, kSave));
  EXPECT_EQ(std::filesystem::status(fFolder.path() / kHostChair).permissions(), std::filesystem::perms(0640));
}

TEST_F(ReplaceFileTest, AFailedReplacementLeavesBothFilesAsTheyWere) {
  std::unique_ptr<HostFile> replacement = MakeReplacement("new");
  ASSERT_NE(replacement, nullptr);

  platform::SetLastHostFailure(HostFailure::kNone);
  EXPECT_FALSE(fHost.ReplaceFile("C:\\Objects\\Missing.iff", kSave));
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kNotFound);
  platform::SetLastHostFailure(HostFailure::kNone);
  EXPECT_FALSE(fHost.ReplaceFile(kChair, "C:\\Objects\\Missing.velt-save"));
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kNotFound);

  EXPECT_EQ(replacement->Write("+", 1), 1);
  replacement.reset();
  EXPECT_EQ(fFolder.ReadFile(kHostChair), "old bytes");
  EXPECT_EQ(fFolder.ReadFile("drive_c/Objects/Chair.iff.velt-save"), "new+");
}

TEST_F(ReplaceFileTest, ATargetThatIsALinkHasTheFileItLinksToReplaced) {
  if (!ScratchFolder::LinksWork()) GTEST_SKIP() << "this host makes no links for tests";
  fFolder.WriteFile("drive_c/Real/Chair.iff", "linked bytes");
  std::filesystem::remove(fFolder.path() / kHostChair);
  fFolder.Link(kHostChair, "../Real/Chair.iff");
  std::unique_ptr<HostFile> replacement = MakeReplacement("new");
  ASSERT_NE(replacement, nullptr);

  ASSERT_TRUE(fHost.ReplaceFile(kChair, kSave));
  EXPECT_TRUE(std::filesystem::is_symlink(fFolder.path() / kHostChair));
  replacement.reset();
  EXPECT_EQ(fFolder.ReadFile("drive_c/Real/Chair.iff"), "new");
}

}  // namespace
