// Replacing a file in one step (PosixHostEnv::ReplaceFile), as a save that
// compacts an object file uses it: both files are open, the replacement takes
// the target's place, permissions and share lock, and the host's cause of a
// failure is kept.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "platform/HostFailure.h"
#include "platform/PosixHostEnv.h"
#include "tests/platform/ScratchFolder.h"

using platform::FileDisposition;
using platform::FileOpenOptions;
using platform::HostFailure;
using platform::HostFile;

namespace {

constexpr const char* kChair = "C:\\Objects\\Chair.iff";
constexpr const char* kSaving = "C:\\Objects\\Chair.iff.velt-save";

FileOpenOptions ReadWrite() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareRead, FileDisposition::kOpenExisting, false};
}
FileOpenOptions Replacement() {
  return {platform::kAccessRead | platform::kAccessWrite, platform::kShareNone, FileDisposition::kCreateAlways, false};
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fPrefix.Link("dosdevices/c:", "../drive_c");
    fPrefix.WriteFile("drive_c/Objects/Chair.iff", "old bytes");
    std::filesystem::permissions(fPrefix.Path("drive_c/Objects/Chair.iff"), std::filesystem::perms(0640));
  }

  std::string Contents(std::string_view relative) const {
    std::ifstream in(fPrefix.Path(relative), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // The replacement, open and written.
  std::unique_ptr<HostFile> Written(const std::string& bytes) {
    std::unique_ptr<HostFile> file = fHost.OpenFile(kSaving, Replacement());
    EXPECT_NE(file, nullptr);
    if (file != nullptr) {
      EXPECT_EQ(file->Write(bytes.data(), static_cast<int64_t>(bytes.size())), static_cast<int64_t>(bytes.size()));
    }
    return file;
  }

  ScratchFolder fPrefix;
  platform::PosixHostEnv fHost{fPrefix.Path()};
};

TEST_F(ReplaceFileTest, TheReplacementTakesThePlaceThePermissionsAndTheLock) {
  std::unique_ptr<HostFile> original = fHost.OpenFile(kChair, ReadWrite());
  ASSERT_NE(original, nullptr);
  std::unique_ptr<HostFile> replacement = Written("new bytes!");
  ASSERT_TRUE(fHost.ReplaceFile(kChair, kSaving));
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "new bytes!");
  EXPECT_FALSE(std::filesystem::exists(fPrefix.Path("drive_c/Objects/Chair.iff.velt-save")));
  EXPECT_EQ(std::filesystem::status(fPrefix.Path("drive_c/Objects/Chair.iff")).permissions(),
            std::filesystem::perms(0640));
  // The replacement's open now holds the file: nobody else gets in, the old
  // open let go or not.
  original.reset();
  EXPECT_EQ(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kInUse);
  // And it still reads and writes the file under the target's name.
  ASSERT_TRUE(replacement->Seek(0));
  EXPECT_EQ(replacement->Write("N", 1), 1);
  replacement.reset();
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "New bytes!");
  EXPECT_NE(fHost.OpenFile(kChair, ReadWrite()), nullptr);
}

TEST_F(ReplaceFileTest, ALinkStaysALinkToTheReplacedFile) {
  fPrefix.MakeFolder("drive_c/Elsewhere");
  fPrefix.WriteFile("drive_c/Elsewhere/Real.iff", "old bytes");
  std::filesystem::remove(fPrefix.Path("drive_c/Objects/Chair.iff"));
  fPrefix.Link("drive_c/Objects/Chair.iff", "../Elsewhere/Real.iff");
  Written("linked");
  ASSERT_TRUE(fHost.ReplaceFile(kChair, kSaving));
  EXPECT_TRUE(std::filesystem::is_symlink(fPrefix.Path("drive_c/Objects/Chair.iff")));
  EXPECT_EQ(Contents("drive_c/Elsewhere/Real.iff"), "linked");
}

TEST_F(ReplaceFileTest, AFailureLeavesTheTargetAndSaysWhy) {
  // No replacement to put in place.
  EXPECT_FALSE(fHost.ReplaceFile(kChair, kSaving));
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kNotFound);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff"), "old bytes");
  // No target to replace.
  Written("new");
  EXPECT_FALSE(fHost.ReplaceFile("C:\\Objects\\Gone.iff", kSaving));
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kNotFound);
  EXPECT_EQ(Contents("drive_c/Objects/Chair.iff.velt-save"), "new");
}

// Each open that fails leaves the cause a player can act on.
TEST_F(ReplaceFileTest, FailedOpensLeaveTheirCause) {
  std::unique_ptr<HostFile> holder = fHost.OpenFile(kChair, ReadWrite());
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kInUse);
  holder.reset();
  std::filesystem::permissions(fPrefix.Path("drive_c/Objects/Chair.iff"), std::filesystem::perms(0444));
  EXPECT_EQ(fHost.OpenFile(kChair, ReadWrite()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kReadOnly);
  EXPECT_EQ(fHost.OpenFile("C:\\Objects\\Gone.iff", ReadWrite()), nullptr);
  EXPECT_EQ(platform::LastHostFailure(), HostFailure::kNotFound);
}

}  // namespace
