// The demo prefix as the organizer sees it: through the platform layer's
// registry reader and path mapping, not through the generator's own helpers.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/PosixHostEnv.h"
#include "tools/demo/DemoPrefix.h"

namespace {

namespace fs = std::filesystem;

TEST(DemoThroughPlatformTest, GameFolderAndObjectFoldersAreReachable) {
  const fs::path prefix = fs::path(::testing::TempDir()) /
                          ("velt-demo-platform-" + std::to_string(std::random_device{}()));
  fs::remove_all(prefix);
  std::string error;
  ASSERT_TRUE(tools::MakeDemoPrefix(prefix, &error)) << error;

  platform::PosixHostEnv env(prefix.string());
  std::unique_ptr<platform::RegistryKey> key =
      env.MachineRegistry().OpenMachineKey("Software\\Korva\\The Velt");
  ASSERT_NE(key, nullptr);
  std::string folder;
  ASSERT_TRUE(key->QueryString("VELT_DATA", &folder));
  EXPECT_EQ(folder, tools::kDemoGameFolder);

  const std::string objects = folder + "\\GameData\\UserObjects\\";
  EXPECT_TRUE(fs::is_directory(env.HostPath(objects)));
  EXPECT_TRUE(fs::is_directory(env.HostPath(objects + "..\\..\\Downloads\\")));
  EXPECT_TRUE(fs::equivalent(env.HostPath(objects), tools::DemoGameFolder(prefix) / "GameData" / "UserObjects"));
  fs::remove_all(prefix);
}

}  // namespace
