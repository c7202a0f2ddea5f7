// The Windows registry as the organizer reads it, with keys written by the
// host's own reg tool: the 32-bit view (where the game's installer writes)
// first, then the 64-bit view.
#include "platform/Win32Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "tests/platform/ScratchFolder.h"

using platform::RegistryKey;
using platform::Win32Registry;

namespace {

// Keys of this run only, so that runs side by side do not meet.
const std::string& Base() {
  static const std::string base = "Software\\Korva\\Velt Registry Test " + std::to_string(std::random_device()());
  return base;
}

int Reg(const std::string& arguments) { return std::system(("reg " + arguments + " >NUL 2>&1").c_str()); }

std::string Machine(const std::string& key) { return "\"HKLM\\" + Base() + key + "\""; }

class Win32RegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A key in both views with different folders, and one in the 64-bit view
    // only.
    sWritten = Reg("add " + Machine("\\Both") + " /v VELT_DATA /d \"C:\\Games\\The Velt\" /reg:32 /f") == 0 &&
               Reg("add " + Machine("\\Both") + " /v VELT_DATA /d \"D:\\Other\" /reg:64 /f") == 0 &&
               Reg("add " + Machine("\\Wide") + " /v VELT_DATA /d \"E:\\Velt64\" /reg:64 /f") == 0;
    // Values that add cannot spell from a narrow command line: a name beyond
    // ASCII and a value that is not a string, in a UTF-16 registry file.
    ScratchFolder folder;
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Base() +
                             "\\Odd]\r\n\"VELT_DATA\"=\"C:\\\\Spiele\\\\M\xC3\xB6" "bel\\\\\"\r\n"
                             "\"Count\"=dword:00000005\r\n@=\"default\"\r\n"
                             "\"Path\"=hex(2):25,00,57,00,49,00,4e,00,44,00,49,00,52,00,25,00,00,00\r\n";
    std::u16string wide = u"\uFEFF";
    const std::wstring asWide = ScratchFolder::FromUtf8(text).wstring();
    wide.append(asWide.begin(), asWide.end());
    const std::filesystem::path file = folder.path() / "odd.reg";
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(wide.data()),
                                                static_cast<std::streamsize>(wide.size() * 2));
    sWritten = sWritten && Reg("import \"" + ScratchFolder::ToUtf8(file) + "\" /reg:32") == 0;
  }

  static void TearDownTestSuite() {
    Reg("delete " + Machine("") + " /reg:32 /f");
    Reg("delete " + Machine("") + " /reg:64 /f");
  }

  void SetUp() override {
    if (!sWritten) GTEST_SKIP() << "the machine keys cannot be written here (not an administrator)";
  }

  static std::string Value(RegistryKey& key, const char* name) {
    std::string value = "(unread)";
    return key.QueryString(name, &value) ? value : "(unread)";
  }

  static inline bool sWritten = false;
  Win32Registry fRegistry;
};

TEST_F(Win32RegistryTest, TheThirtyTwoBitViewComesFirst) {
  std::unique_ptr<RegistryKey> key = fRegistry.OpenMachineKey(Base() + "\\Both");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(Value(*key, "VELT_DATA"), "C:\\Games\\The Velt");
  EXPECT_EQ(Value(*key, "velt_data"), "C:\\Games\\The Velt") << "names compare without regard to case";
}

TEST_F(Win32RegistryTest, AKeyInTheSixtyFourBitViewOnlyIsFoundToo) {
  std::unique_ptr<RegistryKey> key = fRegistry.OpenMachineKey(Base() + "\\Wide");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(Value(*key, "VELT_DATA"), "E:\\Velt64");
}

TEST_F(Win32RegistryTest, AKeyThatCannotBeOpenedIsNotAValueThatCannotBeRead) {
  EXPECT_EQ(fRegistry.OpenMachineKey(Base() + "\\Missing"), nullptr);
  std::unique_ptr<RegistryKey> key = fRegistry.OpenMachineKey(Base() + "\\WIDE");
  ASSERT_NE(key, nullptr) << "paths compare without regard to case";
  std::string value;
  EXPECT_FALSE(key->QueryString("Missing", &value));
}

TEST_F(Win32RegistryTest, OnlyStringsAreReadAndTheyComeBackAsUtf8) {
  std::unique_ptr<RegistryKey> key = fRegistry.OpenMachineKey(Base() + "\\Odd");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(Value(*key, "VELT_DATA"), "C:\\Spiele\\M\xC3\xB6" "bel\\");
  EXPECT_EQ(Value(*key, "Count"), "(unread)");
  EXPECT_EQ(Value(*key, ""), "default");
  EXPECT_EQ(Value(*key, "Path"), "%WINDIR%") << "expandable strings stay unexpanded";
}

}  // namespace
