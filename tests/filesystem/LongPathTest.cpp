// Paths longer than the catalogue holds (259 characters). Every catalogue
// question about such a path must be answered for that path, never for the
// 259-character path it would be cut to.
#include <gtest/gtest.h>

#include <string>

#include "filesystem/FileSystem.h"
#include "tests/filesystem/FarWriter.h"
#include "tests/filesystem/ScratchDrive.h"

namespace {

// "c:\x\" and a 200-character folder: 206 characters with its separators.
const std::string kFolder = std::string(200, 'f');
const std::string kWindowsFolder = "c:\\x\\" + kFolder + "\\";

// A file name that brings its Windows path to `length` characters.
std::string NameFor(size_t length, char fill) {
  return std::string(length - kWindowsFolder.size() - 4, fill) + ".iff";
}

class LongPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ((kWindowsFolder + fAt259).size(), 259u);
    fDrive.WriteFile("x/" + kFolder + "/" + fAt259, "259");
    fFs.Mount("c:\\x\\", true, true);
    ASSERT_TRUE(fFs.Lookup((kWindowsFolder + fAt259).c_str()));
  }

  ScratchDrive fDrive;
  FileSystem fFs;
  // Exactly 259 characters with its folder, the longest path catalogued.
  const std::string fAt259 = NameFor(259, 'a');
};

TEST_F(LongPathTest, APathThatCutsToACataloguedOneIsNotThatOne) {
  // 266 characters whose first 259 are the catalogued file's path.
  const std::string longer = kWindowsFolder + fAt259 + "1234567";
  EXPECT_FALSE(fFs.Lookup(longer.c_str()));
  EXPECT_FALSE(fFs.Exists(longer.c_str())) << "nothing by that name is on disk";
  FSFind find;
  EXPECT_FALSE(fFs.FindFirst((longer + "\\*").c_str(), &find));

  // Creating it makes that file, on disk.
  ASSERT_TRUE(fFs.Create(longer.c_str()));
  EXPECT_TRUE(fDrive.FileExists("x/" + kFolder + "/" + fAt259 + "1234567"));
  EXPECT_TRUE(fFs.Exists(longer.c_str()));
  EXPECT_EQ(fDrive.ReadFile("x/" + kFolder + "/" + fAt259), "259");

  // Deleting another long path that is not on disk leaves the catalogued
  // file and its entry alone.
  EXPECT_FALSE(fFs.Delete((kWindowsFolder + fAt259 + "x").c_str()));
  EXPECT_TRUE(fFs.Lookup((kWindowsFolder + fAt259).c_str()));
  EXPECT_TRUE(fDrive.FileExists("x/" + kFolder + "/" + fAt259));

  // Opening a long path opens that file, not the catalogued one.
  FSFile* file = fFs.Open(longer.c_str(), false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 0);
  fFs.Close(file);
}

TEST_F(LongPathTest, DiskNamesTooLongForTheCatalogueAreLeftToTheDisk) {
  const std::string at260 = NameFor(260, 'b');
  fDrive.WriteFile("x/" + kFolder + "/" + at260, "260");
  FileSystem fs;
  fs.Mount(kWindowsFolder.c_str(), false, true);
  EXPECT_TRUE(fs.Lookup((kWindowsFolder + fAt259).c_str()));
  EXPECT_FALSE(fs.Lookup((kWindowsFolder + at260).c_str()));
  EXPECT_TRUE(fs.Exists((kWindowsFolder + at260).c_str()));
  FSFile* file = fs.Open((kWindowsFolder + at260).c_str(), true);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 3);
  fs.Close(file);
}

TEST(LongMemberNames, MembersSharingTheirFirst259CharactersStayApart) {
  ScratchDrive drive;
  FarWriter far;
  far.Add(std::string(300, 'b') + ".iff", "first");
  far.Add(std::string(300, 'b') + ".spf", "second");
  far.Add("short.iff", "short");
  drive.WriteFile("x/pack.far", far.Bytes());
  FileSystem fs;
  fs.Mount("c:\\x\\", false, true);
  EXPECT_TRUE(fs.Lookup("c:\\x\\short.iff"));
  for (const char* extension : {".iff", ".spf"}) {
    const std::string path = "c:\\x\\" + std::string(300, 'b') + extension;
    EXPECT_FALSE(fs.Lookup(path.c_str())) << extension;
    EXPECT_FALSE(fs.Exists(path.c_str())) << extension;
    EXPECT_EQ(fs.Open(path.c_str(), false), nullptr) << "no member's bytes under another member's name";
  }
  // Nothing in the folder answers for the cut form of either.
  FSFind find;
  ASSERT_TRUE(fs.FindFirst("c:\\x\\*", &find));
  EXPECT_EQ(find.Name(), CTGString("short.iff"));
  EXPECT_FALSE(fs.FindNext(&find));
}

}  // namespace
