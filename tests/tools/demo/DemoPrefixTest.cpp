#include "tools/demo/DemoPrefix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <set>

namespace tools {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    names.insert(fs::relative(entry.path(), folder).string());
  }
  return names;
}

class DemoPrefixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fRoot = fs::path(::testing::TempDir()) /
            ("velt-demo-test-" + std::to_string(std::random_device{}()));
    fs::remove_all(fRoot);
    fs::create_directories(fRoot);
    fPrefix = fRoot / "prefix";
  }
  void TearDown() override { fs::remove_all(fRoot); }

  bool Make(std::string* error) { return MakeDemoPrefix(fPrefix, error); }

  fs::path fRoot;
  fs::path fPrefix;
};

TEST_F(DemoPrefixTest, LaysOutAPrefixThatNamesTheGameFolder) {
  std::string error;
  ASSERT_TRUE(Make(&error)) << error;

  const std::string reg = ReadText(fPrefix / "system.reg");
  EXPECT_EQ(reg.rfind("WINE REGISTRY Version 2\n"
                      ";; All keys relative to REGISTRY\\\\Machine\n"
                      "#arch=win64\n"
                      ";; velt-demo\n"
                      "\n[",
                      0),
            0u)
      << reg;
  EXPECT_NE(reg.find("\n[Software\\\\Wow6432Node\\\\Korva\\\\The Velt] 1796626466\n"
                     "#time=1d9a8c5b2e4f000\n"),
            std::string::npos);
  EXPECT_NE(reg.find("\n\"VELT_DATA\"=\"C:\\\\Program Files (x86)\\\\Korva\\\\The Velt\"\n"),
            std::string::npos);
  EXPECT_NE(reg.find("\n[Software\\\\Classes\\\\.iff] 1796626466\n#time=1d9a8c5b2e4f000\n"
                     "@=\"VeltObject\"\n"),
            std::string::npos);
  EXPECT_NE(reg.find("=dword:"), std::string::npos);
  EXPECT_NE(reg.find(",\\\n  "), std::string::npos) << "a continued hex value";
  EXPECT_NE(reg.find("\\x"), std::string::npos) << "an escaped non-ASCII character";
  EXPECT_EQ(reg, DemoRegistryText());
  EXPECT_TRUE(IsDemoPrefix(fPrefix));

  EXPECT_TRUE(fs::is_symlink(fPrefix / "dosdevices" / "c:"));
  EXPECT_EQ(fs::read_symlink(fPrefix / "dosdevices" / "c:"), fs::path("../drive_c"));
  EXPECT_EQ(fs::read_symlink(fPrefix / "dosdevices" / "z:"), fs::path("/"));
  EXPECT_TRUE(fs::equivalent(fPrefix / "dosdevices" / "c:", fPrefix / "drive_c"));

  const fs::path game = fPrefix / "drive_c" / "Program Files (x86)" / "Korva" / "The Velt";
  EXPECT_EQ(DemoGameFolder(fPrefix), game);
  EXPECT_TRUE(fs::is_directory(game / "GameData" / "UserObjects"));
  EXPECT_TRUE(fs::is_directory(game / "Downloads"));
  EXPECT_TRUE(fs::is_regular_file(game / "Downloads" / "Garden Swing Seat.iff"));
}

TEST_F(DemoPrefixTest, AcceptsAnEmptyFolder) {
  fs::create_directories(fPrefix);
  std::string error;
  EXPECT_TRUE(Make(&error)) << error;
  EXPECT_TRUE(IsDemoPrefix(fPrefix));
}

TEST_F(DemoPrefixTest, RunningAgainRepairsTheLayoutAndKeepsObjectFiles) {
  std::string error;
  ASSERT_TRUE(Make(&error)) << error;
  const std::set<std::string> layout = Listing(fPrefix);
  const fs::path objects = DemoGameFolder(fPrefix) / "GameData" / "UserObjects";
  WriteText(objects / "chair.iff", "object");
  fs::remove(fPrefix / "dosdevices" / "z:");
  fs::create_symlink("/tmp", fPrefix / "dosdevices" / "z:");
  fs::remove_all(DemoGameFolder(fPrefix) / "Downloads");

  ASSERT_TRUE(Make(&error)) << error;
  EXPECT_EQ(ReadText(objects / "chair.iff"), "object");
  EXPECT_EQ(fs::read_symlink(fPrefix / "dosdevices" / "z:"), fs::path("/"));
  fs::remove(objects / "chair.iff");
  EXPECT_EQ(Listing(fPrefix), layout);
  EXPECT_EQ(ReadText(fPrefix / "system.reg"), DemoRegistryText());
}

TEST_F(DemoPrefixTest, RefusesAForeignFolderAndLeavesItAlone) {
  fs::create_directories(fPrefix / "drive_c");
  const std::string foreign =
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n#arch=win32\n\n"
      "[Software\\\\Other] 1\n\"Note\"=\";; velt-demo\"\n;; velt-demo\n";
  WriteText(fPrefix / "system.reg", foreign);
  const std::set<std::string> before = Listing(fPrefix);

  std::string error;
  EXPECT_FALSE(Make(&error));
  EXPECT_NE(error.find("refusing"), std::string::npos) << error;
  EXPECT_NE(error.find(fPrefix.string()), std::string::npos) << error;
  EXPECT_EQ(Listing(fPrefix), before);
  EXPECT_EQ(ReadText(fPrefix / "system.reg"), foreign);
}

TEST_F(DemoPrefixTest, RefusesAFolderWithOtherFilesOnly) {
  fs::create_directories(fPrefix);
  WriteText(fPrefix / "notes.txt", "mine");
  std::string error;
  EXPECT_FALSE(Make(&error));
  EXPECT_EQ(Listing(fPrefix), std::set<std::string>{"notes.txt"});
}

TEST_F(DemoPrefixTest, RecognisesItsMarkerOnlyInTheHeader) {
  fs::create_directories(fPrefix);
  WriteText(fPrefix / "system.reg", "WINE REGISTRY Version 2\r\n;; velt-demo\r\n\r\n");
  EXPECT_TRUE(IsDemoPrefix(fPrefix));
  WriteText(fPrefix / "system.reg", "REGEDIT4\n;; velt-demo\n");
  EXPECT_FALSE(IsDemoPrefix(fPrefix));
  WriteText(fPrefix / "system.reg", "WINE REGISTRY Version 2\n" + std::string(5000, ';') + "\n;; velt-demo\n");
  EXPECT_FALSE(IsDemoPrefix(fPrefix));
  fs::remove(fPrefix / "system.reg");
  fs::create_directories(fPrefix / "system.reg");
  EXPECT_FALSE(IsDemoPrefix(fPrefix));
}

TEST_F(DemoPrefixTest, ReportsPathsItCannotUse) {
  WriteText(fPrefix, "a file");
  std::string error;
  EXPECT_FALSE(Make(&error));
  EXPECT_NE(error.find("not a folder"), std::string::npos) << error;
  EXPECT_EQ(ReadText(fPrefix), "a file");

  EXPECT_FALSE(MakeDemoPrefix(fs::path(), &error));
  EXPECT_FALSE(MakeDemoPrefix(fPrefix / "below", &error));
}

TEST_F(DemoPrefixTest, DoesNotReplaceADriveThatIsNotALink) {
  std::string error;
  ASSERT_TRUE(Make(&error)) << error;
  fs::remove(fPrefix / "dosdevices" / "c:");
  fs::create_directories(fPrefix / "dosdevices" / "c:");
  WriteText(fPrefix / "dosdevices" / "c:" / "keep", "x");
  EXPECT_FALSE(Make(&error));
  EXPECT_NE(error.find("not a symbolic link"), std::string::npos) << error;
  EXPECT_EQ(ReadText(fPrefix / "dosdevices" / "c:" / "keep"), "x");
}

}  // namespace
}  // namespace tools
