#include "platform/HostEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/HostEnvWrapper.h"
#include "platform/PosixHostEnv.h"
#include "tests/platform/ScratchFolder.h"

using platform::HostEnv;
using platform::HostEnvWrapper;
using platform::PosixHostEnv;

namespace {

// Refuses every path and records the debugger text instead of printing it.
class RefusingEnv : public HostEnvWrapper {
 public:
  using HostEnvWrapper::HostEnvWrapper;

  std::string HostPath(std::string_view windowsPath) override {
    fPaths.emplace_back(windowsPath);
    return {};
  }
  void DebugOutput(std::string_view text) override { fOutput.emplace_back(text); }

  std::vector<std::string> fPaths;
  std::vector<std::string> fOutput;
};

TEST(HostEnvReplace, WrapperInterceptsAndThePreviousEnvComesBack) {
  HostEnv& before = HostEnv::Current();
  RefusingEnv refusing(&before);

  HostEnv* replaced = HostEnv::Replace(&refusing);
  EXPECT_EQ(replaced, &before);
  EXPECT_EQ(&HostEnv::Current(), &refusing);
  EXPECT_EQ(HostEnv::Current().HostPath("C:\\x"), "");
  HostEnv::Current().DebugOutput("hello");
  EXPECT_EQ(refusing.fPaths, std::vector<std::string>{"C:\\x"});
  EXPECT_EQ(refusing.fOutput, std::vector<std::string>{"hello"});
  EXPECT_EQ(&HostEnv::Current().MachineRegistry(), &before.MachineRegistry());

  EXPECT_EQ(HostEnv::Replace(replaced), &refusing);
  EXPECT_EQ(&HostEnv::Current(), &before);
}

TEST(HostEnvReplace, NullRestoresTheDefault) {
  RefusingEnv first(&HostEnv::Default());
  RefusingEnv second(&first);
  HostEnv::Replace(&first);
  EXPECT_EQ(HostEnv::Replace(&second), &first);
  EXPECT_EQ(HostEnv::Replace(nullptr), &second);
  EXPECT_EQ(&HostEnv::Current(), &HostEnv::Default());
  EXPECT_EQ(HostEnv::Replace(nullptr), &HostEnv::Default());
}

TEST(HostEnvWrapperChain, CallsReachTheInnermostTarget) {
  ScratchFolder prefix;
  prefix.Link("dosdevices/c:", "../drive_c");
  prefix.MakeFolder("drive_c/Games");
  PosixHostEnv host(prefix.Path());
  HostEnvWrapper outer(&host);
  EXPECT_EQ(outer.target(), &host);
  EXPECT_EQ(outer.HostPath("c:\\games"), prefix.Path("dosdevices/c:") + "/Games");
  EXPECT_EQ(&outer.MachineRegistry(), &host.MachineRegistry());
}

TEST(PosixHostEnvTest, RegistryComesFromSystemReg) {
  ScratchFolder prefix;
  prefix.WriteFile("system.reg",
                   "WINE REGISTRY Version 2\n\n[Software\\\\Korva\\\\The Velt] 1\n\"VELT_DATA\"=\"C:\\\\Velt\"\n");
  PosixHostEnv host(prefix.Path() + "/");
  std::unique_ptr<platform::RegistryKey> key = host.MachineRegistry().OpenMachineKey("Software\\Korva\\The Velt");
  ASSERT_NE(key, nullptr);
  std::string value;
  EXPECT_TRUE(key->QueryString("VELT_DATA", &value));
  EXPECT_EQ(value, "C:\\Velt");

  PosixHostEnv empty("");
  EXPECT_EQ(empty.MachineRegistry().OpenMachineKey(""), nullptr);
}

TEST(PosixHostEnvTest, DebugOutputEndsEachTextWithANewline) {
  PosixHostEnv host("");
  ::testing::internal::CaptureStderr();
  host.DebugOutput("Couldn't Open file 'x.far' for mapping.");
  host.DebugOutput("already ended\n");
  host.DebugOutput("");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Couldn't Open file 'x.far' for mapping.\nalready ended\n\n");
}

// Sets or clears an environment variable for one test and puts it back after.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : fName(name) {
    if (const char* old = std::getenv(name)) fSaved = old;
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (fSaved) {
      ::setenv(fName, fSaved->c_str(), 1);
    } else {
      ::unsetenv(fName);
    }
  }

 private:
  const char* fName;
  std::optional<std::string> fSaved;
};

TEST(PosixHostEnvTest, DefaultPrefixFollowsWineRules) {
  {
    ScopedVariable prefix("WINEPREFIX", "/opt/prefixes/velt");
    ScopedVariable home("HOME", "/home/player");
    EXPECT_EQ(PosixHostEnv::DefaultPrefix(), "/opt/prefixes/velt");
  }
  {
    ScopedVariable prefix("WINEPREFIX", "");
    ScopedVariable home("HOME", "/home/player/");
    EXPECT_EQ(PosixHostEnv::DefaultPrefix(), "/home/player/.wine");
  }
  {
    ScopedVariable prefix("WINEPREFIX", nullptr);
    ScopedVariable home("HOME", nullptr);
    std::string fromPasswordDatabase = PosixHostEnv::DefaultPrefix();
    if (!fromPasswordDatabase.empty()) {
      EXPECT_EQ(fromPasswordDatabase.front(), '/');
      EXPECT_TRUE(fromPasswordDatabase.ends_with("/.wine")) << fromPasswordDatabase;
    }
  }
}

// The XDG base directories: an absolute XDG_DATA_HOME, else ~/.local/share.
TEST(PosixHostEnvTest, DefaultDataFolderFollowsXdgRules) {
  const struct {
    const char* data;
    const char* home;
    const char* folder;
  } cases[] = {
      {"/data/player", "/home/player", "/data/player/velt-organizer"},
      {"/data/player/", "/home/player", "/data/player/velt-organizer"},
      {nullptr, "/home/player", "/home/player/.local/share/velt-organizer"},
      {"", "/home/player/", "/home/player/.local/share/velt-organizer"},
      {"relative/data", "/home/player", "/home/player/.local/share/velt-organizer"},
  };
  for (const auto& [data, home, folder] : cases) {
    ScopedVariable dataHome("XDG_DATA_HOME", data);
    ScopedVariable homeFolder("HOME", home);
    EXPECT_EQ(PosixHostEnv::DefaultDataFolder(), folder) << (data != nullptr ? data : "(unset)");
  }
}

}  // namespace
