#include "tools/assetgen/AssetSet.h"

#include <fstream>
#include <system_error>
#include <utility>

#include "tools/assetgen/BmpWriter.h"
#include "tools/assetgen/ButtonArt.h"
#include "tools/assetgen/IcoWriter.h"
#include "tools/assetgen/PictureArt.h"
#include "tools/assetgen/PngWriter.h"
#include "tools/assetgen/SoundArt.h"
#include "tools/assetgen/WavWriter.h"

namespace tools {

namespace {

enum class Depth { kPalette, kTrueColour };

struct ButtonImage {
  // Drawn on the button and, followed by the state letter, its file name.
  const char* caption;
  ButtonState state;
  Depth depth;
};

// The OK button's first three images are true colour and its disabled image
// has 256 colours, as the dialogs that use it expect.
constexpr ButtonImage kButtons[] = {
    {"SAVE", ButtonState::kNormal, Depth::kPalette},
    {"SAVE", ButtonState::kPressed, Depth::kPalette},
    {"SAVE", ButtonState::kFocused, Depth::kPalette},
    {"SAVE", ButtonState::kDisabled, Depth::kPalette},
    {"ABOUT", ButtonState::kNormal, Depth::kPalette},
    {"ABOUT", ButtonState::kPressed, Depth::kPalette},
    {"ABOUT", ButtonState::kFocused, Depth::kPalette},
    {"ABOUT", ButtonState::kDisabled, Depth::kPalette},
    {"OK", ButtonState::kNormal, Depth::kTrueColour},
    {"OK", ButtonState::kPressed, Depth::kTrueColour},
    {"OK", ButtonState::kFocused, Depth::kTrueColour},
    {"OK", ButtonState::kDisabled, Depth::kPalette},
};

std::string FileName(const ButtonImage& button) {
  return std::string(button.caption) + ButtonArt::StateLetter(button.state) + ".bmp";
}

bool AddPicture(std::vector<Asset>& assets, std::string name, const Canvas& canvas, Depth depth,
                std::string* error) {
  Asset asset{std::move(name), {}};
  if (depth == Depth::kTrueColour) {
    asset.bytes = BmpWriter::Encode24(canvas);
  } else if (!BmpWriter::Encode8(canvas, &asset.bytes)) {
    if (error) *error = asset.name + " has more than 256 colours";
    return false;
  }
  assets.push_back(std::move(asset));
  return true;
}

}  // namespace

const std::vector<std::string>& AssetSet::FileNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list{"BITMAP184.bmp", "BITMAP212.bmp", "ICON128.bmp"};
    for (const ButtonImage& button : kButtons) {
      list.push_back(FileName(button));
    }
    list.push_back("CLICK.wav");
    list.push_back("VELT.wav");
    return list;
  }();
  return names;
}

bool AssetSet::Build(std::vector<Asset>* assets, std::string* error) {
  assets->clear();
  if (!AddPicture(*assets, "BITMAP184.bmp", PictureArt::MakeAboutPicture(), Depth::kPalette, error) ||
      !AddPicture(*assets, "BITMAP212.bmp", PictureArt::MakeSplashPicture(), Depth::kPalette, error) ||
      !AddPicture(*assets, "ICON128.bmp", PictureArt::MakeIcon(), Depth::kTrueColour, error)) {
    return false;
  }
  for (const ButtonImage& button : kButtons) {
    if (!AddPicture(*assets, FileName(button), ButtonArt::MakeButton(button.caption, button.state),
                    button.depth, error)) {
      return false;
    }
  }
  assets->push_back({"CLICK.wav", WavWriter::Encode(SoundArt::MakeClick())});
  assets->push_back({"VELT.wav", WavWriter::Encode(SoundArt::MakeJingle())});
  return true;
}

namespace {

bool WriteAssets(const std::filesystem::path& directory, const std::vector<Asset>& assets, std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(directory, code);
  if (code) {
    if (error) *error = "cannot create " + directory.string() + ": " + code.message();
    return false;
  }
  for (const Asset& asset : assets) {
    const std::filesystem::path path = directory / asset.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(asset.bytes.data()),
              static_cast<std::streamsize>(asset.bytes.size()));
    out.close();
    if (!out) {
      if (error) *error = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

}  // namespace

bool AssetSet::WriteAll(const std::filesystem::path& directory, std::string* error) {
  std::vector<Asset> assets;
  return Build(&assets, error) && WriteAssets(directory, assets, error);
}

namespace {

// The icon drawn at `size`: at a whole multiple of its 32-unit grid and, where
// that is not the size itself, averaged down. 32, 64, 128 and 256 are drawn at
// their own size; 16 is drawn at 32 and 48 at 96, and averaged down by 2.
Canvas IconPicture(int size) {
  constexpr int kGrid = 32;
  const int scale = size % kGrid == 0 ? size / kGrid : (size * 2) / kGrid;
  Canvas canvas = PictureArt::MakeIcon(scale);
  if (canvas.Width() != size) canvas = canvas.Reduced(canvas.Width() / size);
  return canvas;
}

}  // namespace

std::vector<Asset> AssetSet::BuildIcons() {
  std::vector<Asset> icons;
  for (const int size : kIconSizes) {
    icons.push_back({std::to_string(size) + "x" + std::to_string(size) + ".png", PngWriter::Encode(IconPicture(size))});
  }
  return icons;
}

bool AssetSet::WriteIcons(const std::filesystem::path& directory, std::string* error) {
  return WriteAssets(directory, BuildIcons(), error);
}

std::vector<std::uint8_t> AssetSet::BuildWindowsIcon() {
  std::vector<Canvas> pictures;
  for (const int size : kWindowsIconSizes) pictures.push_back(IconPicture(size));
  return IcoWriter::Encode(pictures);
}

bool AssetSet::WriteWindowsIcon(const std::filesystem::path& file, std::string* error) {
  const std::filesystem::path folder = file.parent_path();
  return WriteAssets(folder.empty() ? std::filesystem::path(".") : folder,
                     {{file.filename().string(), BuildWindowsIcon()}}, error);
}

}  // namespace tools
