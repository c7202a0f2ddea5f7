// What velt-organizer.exe carries as Windows resources: the four dialogs, the
// pictures and button images, the two wave sounds, the icon, string 101 and
// the version, read from the program file itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "VeltVersion.h"
#include "app/dialogs/ResourceIds.h"
#include "platform/Win32Text.h"
#include "tests/app/win32/Win32TestWindows.h"

namespace {

std::wstring ProgramPath() { return win32test::WindowsPath(VELT_ORGANIZER_PATH); }

class ProgramResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(fModule, nullptr) << GetLastError(); }
  ~ProgramResourcesTest() override {
    if (fModule != nullptr) FreeLibrary(fModule);
  }

  std::vector<uint8_t> Bytes(const wchar_t* name, const wchar_t* type) const {
    HRSRC found = FindResourceW(fModule, name, type);
    if (found == nullptr) return {};
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(fModule, found)));
    return std::vector<uint8_t>(data, data + SizeofResource(fModule, found));
  }

  SIZE BitmapSize(const wchar_t* name) const {
    BITMAP bitmap = {};
    HANDLE image = LoadImageW(fModule, name, IMAGE_BITMAP, 0, 0, 0);
    if (image == nullptr) return {0, 0};
    GetObjectW(image, sizeof bitmap, &bitmap);
    DeleteObject(image);
    return {bitmap.bmWidth, bitmap.bmHeight};
  }

  HMODULE fModule = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
};

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at) {
  return at + 4 > bytes.size() ? 0 : bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

TEST_F(ProgramResourcesTest, DialogsPicturesAndButtonImages) {
  for (const int id : {kDialogAbout, kDialogMain, kDialogError, kDialogSplash}) {
    EXPECT_FALSE(Bytes(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */).empty()) << id;
  }
  const auto about = BitmapSize(MAKEINTRESOURCEW(kBitmapAbout));
  EXPECT_EQ(about.cx, 140);
  EXPECT_EQ(about.cy, 153);
  const auto splash = BitmapSize(MAKEINTRESOURCEW(kBitmapSplash));
  EXPECT_EQ(splash.cx, 320);
  EXPECT_EQ(splash.cy, 240);
  for (const wchar_t* caption : {L"Save", L"About", L"OK"}) {
    for (const wchar_t* state : {L"U", L"D", L"F", L"X"}) {
      // Names are found whatever their case.
      const std::wstring name = std::wstring(caption) + state;
      const SIZE size = BitmapSize(name.c_str());
      EXPECT_EQ(size.cx, 131) << platform::Win32Text::ToUtf8(name);
      EXPECT_EQ(size.cy, 40) << platform::Win32Text::ToUtf8(name);
    }
  }
  EXPECT_FALSE(Bytes(MAKEINTRESOURCEW(kIconMain), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */).empty());
}

TEST_F(ProgramResourcesTest, SoundsAreMonoSixteenBitWavesOfTheirLength) {
  const std::pair<const wchar_t*, uint32_t> sounds[] = {{L"Click", 2360}, {L"Velt", 286804}};
  for (const auto& [name, samples] : sounds) {
    SCOPED_TRACE(platform::Win32Text::ToUtf8(name));
    const std::vector<uint8_t> wave = Bytes(name, L"WAVE");
    ASSERT_GE(wave.size(), 44u);
    EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 12), "WAVE");
    EXPECT_EQ(Le32(wave, 20) & 0xFFFF, 1u) << "PCM";
    EXPECT_EQ(Le32(wave, 20) >> 16, 1u) << "one channel";
    EXPECT_EQ(Le32(wave, 24), 22050u);
    EXPECT_EQ(Le32(wave, 32) >> 16, 16u) << "bits per sample";
    EXPECT_EQ(Le32(wave, 40), samples) << "bytes of samples";
  }
}

TEST_F(ProgramResourcesTest, StringOneHundredOneAndTheVersion) {
  wchar_t text[128] = {};
  LoadStringW(fModule, kStringAboutItem, text, 128);
  EXPECT_EQ(platform::Win32Text::ToUtf8(text), "&About The Velt Plimsett Object Organizer...");

  const std::wstring path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<uint8_t> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                        std::to_string(LOWORD(fixed->dwFileVersionMS));
  if (HIWORD(fixed->dwFileVersionLS) != 0) version += "." + std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(version, kVeltVersion);
  wchar_t* product = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_EQ(platform::Win32Text::ToUtf8(product), kVeltVersion);
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_EQ(platform::Win32Text::ToUtf8(product), "The Velt Plimsett Object Organizer");
}

}  // namespace
