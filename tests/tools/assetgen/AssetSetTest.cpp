#include "tools/assetgen/AssetSet.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

#include "tests/tools/assetgen/TestBytes.h"
#include "tools/assetgen/PictureArt.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::vector<std::uint8_t>> BuildAll() {
  std::vector<Asset> assets;
  std::string error;
  EXPECT_TRUE(AssetSet::Build(&assets, &error)) << error;
  std::map<std::string, std::vector<std::uint8_t>> byName;
  for (Asset& asset : assets) byName[asset.name] = std::move(asset.bytes);
  EXPECT_EQ(byName.size(), assets.size()) << "duplicate names";
  return byName;
}

bool HasColour(const Canvas& canvas, Rgb colour) {
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.At(x, y) == colour) return true;
    }
  }
  return false;
}

TEST(AssetSetTest, NamesAgreeWithTheBuildAndComeInListedOrder) {
  std::vector<std::string> fromCMake;
  std::stringstream joined(VELT_ASSET_FILES_JOINED);
  for (std::string name; std::getline(joined, name, ',');) fromCMake.push_back(name);
  EXPECT_EQ(AssetSet::FileNames(), fromCMake);

  std::vector<Asset> assets;
  std::string error;
  ASSERT_TRUE(AssetSet::Build(&assets, &error)) << error;
  std::vector<std::string> built;
  for (const Asset& asset : assets) built.push_back(asset.name);
  EXPECT_EQ(built, AssetSet::FileNames());
}

TEST(AssetSetTest, PicturesHaveTheirSizesAndDepths) {
  struct Expected {
    const char* name;
    int width;
    int height;
    int bits;
  };
  const Expected pictures[] = {
      {"BITMAP184.bmp", 140, 153, 8}, {"BITMAP212.bmp", 320, 240, 8}, {"ICON128.bmp", 32, 32, 24},
      {"SAVEU.bmp", 131, 40, 8},      {"SAVED.bmp", 131, 40, 8},      {"SAVEF.bmp", 131, 40, 8},
      {"SAVEX.bmp", 131, 40, 8},      {"ABOUTU.bmp", 131, 40, 8},     {"ABOUTD.bmp", 131, 40, 8},
      {"ABOUTF.bmp", 131, 40, 8},     {"ABOUTX.bmp", 131, 40, 8},     {"OKU.bmp", 131, 40, 24},
      {"OKD.bmp", 131, 40, 24},       {"OKF.bmp", 131, 40, 24},       {"OKX.bmp", 131, 40, 8},
  };
  const auto assets = BuildAll();
  for (const Expected& picture : pictures) {
    SCOPED_TRACE(picture.name);
    ASSERT_EQ(assets.count(picture.name), 1u);
    const std::vector<std::uint8_t>& bytes = assets.at(picture.name);
    const Canvas decoded = test::DecodeBmp(bytes);
    EXPECT_EQ(decoded.Width(), picture.width);
    EXPECT_EQ(decoded.Height(), picture.height);
    EXPECT_EQ(test::Le16(bytes, 28), picture.bits);
  }
}

TEST(AssetSetTest, PicturesDecodeToWhatWasDrawnInTheHouseColours) {
  const auto assets = BuildAll();
  const Canvas splash = PictureArt::MakeSplashPicture();
  const Canvas decoded = test::DecodeBmp(assets.at("BITMAP212.bmp"));
  ASSERT_EQ(decoded.Width(), splash.Width());
  for (int y = 0; y < splash.Height(); ++y) {
    for (int x = 0; x < splash.Width(); ++x) ASSERT_EQ(decoded.At(x, y), splash.At(x, y)) << x << "," << y;
  }
  for (const char* name : {"BITMAP184.bmp", "BITMAP212.bmp", "ICON128.bmp"}) {
    const Canvas picture = test::DecodeBmp(assets.at(name));
    EXPECT_TRUE(HasColour(picture, PictureArt::kHouseRed)) << name;
    EXPECT_TRUE(HasColour(picture, PictureArt::kWhite)) << name;
  }
}

TEST(AssetSetTest, BuildsAreByteIdentical) {
  EXPECT_EQ(BuildAll(), BuildAll());
}

class AssetSetFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fFolder = fs::path(::testing::TempDir()) /
              ("velt-assets-test-" + std::to_string(std::random_device{}()));
    fs::remove_all(fFolder);
  }
  void TearDown() override { fs::remove_all(fFolder); }

  fs::path fFolder;
};

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(AssetSetFolderTest, WritesEveryFileIntoANewFolder) {
  std::string error;
  ASSERT_TRUE(AssetSet::WriteAll(fFolder / "nested" / "out", &error)) << error;
  const auto assets = BuildAll();
  for (const std::string& name : AssetSet::FileNames()) {
    EXPECT_EQ(ReadFile(fFolder / "nested" / "out" / name), assets.at(name)) << name;
  }
  ASSERT_TRUE(AssetSet::WriteAll(fFolder / "nested" / "out", &error)) << error;
}

TEST_F(AssetSetFolderTest, ReportsAFolderThatCannotBeMade) {
  fs::create_directories(fFolder);
  std::ofstream(fFolder / "file") << "x";
  std::string error;
  EXPECT_FALSE(AssetSet::WriteAll(fFolder / "file", &error));
  EXPECT_NE(error.find((fFolder / "file").string()), std::string::npos) << error;
}

}  // namespace
}  // namespace tools
