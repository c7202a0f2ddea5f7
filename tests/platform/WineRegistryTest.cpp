#include "platform/WineRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/platform/ScratchFolder.h"

using platform::RegistryKey;
using platform::WineRegistry;

namespace {

constexpr std::string_view kWin64Header =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n";
constexpr std::string_view kWin32Header =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n\n";

constexpr std::string_view kBothViews =
    "[Software\\\\Korva\\\\The Velt] 1796626466\n"
    "#time=1d8e0f3a2b4c5d6\n"
    "\"VELT_DATA\"=\"C:\\\\Program Files\\\\The Velt 64\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Korva\\\\The Velt] 1796626466\n"
    "#time=1d8e0f3a2b4c5d6\n"
    "\"VELT_DATA\"=\"C:\\\\Program Files (x86)\\\\The Velt\"\n";

class WineRegistryTest : public ::testing::Test {
 protected:
  WineRegistry& Registry(std::string_view text) {
    fFolder.WriteFile("system.reg", text);
    fRegistry = std::make_unique<WineRegistry>(fFolder.Path("system.reg"));
    return *fRegistry;
  }

  static std::optional<std::string> Query(WineRegistry& registry, std::string_view path, std::string_view name) {
    std::unique_ptr<RegistryKey> key = registry.OpenMachineKey(path);
    if (!key) return std::nullopt;
    std::string value = "untouched";
    if (!key->QueryString(name, &value)) {
      EXPECT_EQ(value, "untouched");
      return std::nullopt;
    }
    return value;
  }

  ScratchFolder fFolder;
  std::unique_ptr<WineRegistry> fRegistry;
};

TEST_F(WineRegistryTest, Win64PrefersThe32BitView) {
  WineRegistry& registry = Registry(std::string(kWin64Header) + std::string(kBothViews));
  EXPECT_EQ(Query(registry, "Software\\Korva\\The Velt", "VELT_DATA"), "C:\\Program Files (x86)\\The Velt");
  EXPECT_EQ(Query(registry, "software\\KORVA\\the velt", "velt_data"), "C:\\Program Files (x86)\\The Velt");
  EXPECT_EQ(Query(registry, "\\Software\\\\Korva\\The Velt\\", "VELT_DATA"), "C:\\Program Files (x86)\\The Velt");
}

TEST_F(WineRegistryTest, Win64FallsBackToThePlainKey) {
  WineRegistry& registry = Registry(std::string(kWin64Header) +
                                    "[Software\\\\Korva\\\\The Velt] 1\n\"VELT_DATA\"=\"C:\\\\Games\\\\The Velt\"\n"
                                    "[Software\\\\Wow6432Node\\\\Other] 1\n\"x\"=\"y\"\n");
  EXPECT_EQ(Query(registry, "Software\\Korva\\The Velt", "VELT_DATA"), "C:\\Games\\The Velt");
  EXPECT_EQ(Query(registry, "Software\\Other", "x"), "y");
}

TEST_F(WineRegistryTest, OnlyPathsBelowSoftwareAreRedirected) {
  WineRegistry& registry = Registry(std::string(kWin64Header) +
                                    "[Software] 1\n\"where\"=\"plain\"\n"
                                    "[Software\\\\Wow6432Node] 1\n\"where\"=\"node\"\n"
                                    "[System\\\\Setup] 1\n\"where\"=\"system\"\n"
                                    "[Software\\\\Wow6432Node\\\\Setup] 1\n\"where\"=\"wrong\"\n");
  EXPECT_EQ(Query(registry, "Software", "where"), "plain");
  EXPECT_EQ(Query(registry, "System\\Setup", "where"), "system");
}

TEST_F(WineRegistryTest, Win32HasNoRedirection) {
  WineRegistry& registry = Registry(std::string(kWin32Header) + std::string(kBothViews));
  EXPECT_EQ(Query(registry, "Software\\Korva\\The Velt", "VELT_DATA"), "C:\\Program Files\\The Velt 64");

  WineRegistry& noArch = Registry(std::string("WINE REGISTRY Version 2\n\n") + std::string(kBothViews));
  EXPECT_EQ(Query(noArch, "Software\\Korva\\The Velt", "VELT_DATA"), "C:\\Program Files\\The Velt 64");
}

TEST_F(WineRegistryTest, QueryStringReturnsPlainAndExpandableStringsOnly) {
  WineRegistry& registry = Registry(std::string(kWin32Header) +
                                    "[K] 1\n"
                                    "@=\"the default\"\n"
                                    "\"Expand\"=str(2):\"%ProgramFiles%\\\\The Velt\"\n"
                                    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
                                    "\"Dword\"=dword:00000010\n"
                                    "\"Bin\"=hex:43,00,3a,00,\\\n  5c,00\n"
                                    "\"Typed\"=hex(1):43,00,00,00\n"
                                    "\"Nul\"=\"C:\\\\Games\\0junk\"\n");
  EXPECT_EQ(Query(registry, "K", ""), "the default");
  EXPECT_EQ(Query(registry, "K", "expand"), "%ProgramFiles%\\The Velt");
  EXPECT_EQ(Query(registry, "K", "Multi"), std::nullopt);
  EXPECT_EQ(Query(registry, "K", "Dword"), std::nullopt);
  EXPECT_EQ(Query(registry, "K", "Bin"), std::nullopt);
  EXPECT_EQ(Query(registry, "K", "Typed"), std::nullopt);
  EXPECT_EQ(Query(registry, "K", "Missing"), std::nullopt);
  EXPECT_EQ(Query(registry, "K", "Nul"), "C:\\Games");
  EXPECT_NE(registry.OpenMachineKey("K"), nullptr);
  EXPECT_EQ(registry.OpenMachineKey("K\\Missing"), nullptr);
}

TEST_F(WineRegistryTest, UnusableFilesOpenNothing) {
  WineRegistry missing(fFolder.Path("no-such.reg"));
  EXPECT_EQ(missing.OpenMachineKey(""), nullptr);
  EXPECT_EQ(missing.Hive(), nullptr);

  fFolder.MakeFolder("folder.reg");
  WineRegistry folder(fFolder.Path("folder.reg"));
  EXPECT_EQ(folder.OpenMachineKey(""), nullptr);

  WineRegistry& badHeader = Registry("WINE REGISTRY Version 3\n\n" + std::string(kBothViews));
  EXPECT_EQ(badHeader.OpenMachineKey(""), nullptr);
  EXPECT_EQ(badHeader.OpenMachineKey("Software\\Korva\\The Velt"), nullptr);

  WineRegistry& empty = Registry("");
  EXPECT_EQ(empty.OpenMachineKey(""), nullptr);
}

TEST_F(WineRegistryTest, FileCutInTheMiddleOfAString) {
  std::string text = std::string(kWin32Header) + "[Software\\\\Korva\\\\The Velt] 1\n\"Other\"=\"ok\"\n\"VELT_DATA\"=\"C:\\\\Gam";
  WineRegistry& registry = Registry(text);
  EXPECT_NE(registry.OpenMachineKey("Software\\Korva\\The Velt"), nullptr);
  EXPECT_EQ(Query(registry, "Software\\Korva\\The Velt", "Other"), "ok");
  EXPECT_EQ(Query(registry, "Software\\Korva\\The Velt", "VELT_DATA"), std::nullopt);
}

TEST_F(WineRegistryTest, FileIsReadOnceOnFirstUse) {
  WineRegistry& registry = Registry("not a hive yet");
  fFolder.WriteFile("system.reg", std::string(kWin32Header) + "[K] 1\n\"v\"=\"first\"\n");
  EXPECT_EQ(Query(registry, "K", "v"), "first");
  fFolder.WriteFile("system.reg", std::string(kWin32Header) + "[K] 1\n\"v\"=\"second\"\n");
  EXPECT_EQ(Query(registry, "K", "v"), "first");
}

TEST_F(WineRegistryTest, KeysOutliveTheRegistry) {
  std::unique_ptr<RegistryKey> key =
      Registry(std::string(kWin64Header) + std::string(kBothViews)).OpenMachineKey("Software\\Korva\\The Velt");
  ASSERT_NE(key, nullptr);
  fRegistry.reset();
  std::string value;
  ASSERT_TRUE(key->QueryString("VELT_DATA", &value));
  EXPECT_EQ(value, "C:\\Program Files (x86)\\The Velt");
}

}  // namespace
