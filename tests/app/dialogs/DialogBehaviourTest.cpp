#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/CSortChangerApp.h"
#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/CSplashWindow.h"
#include "app/dialogs/ResourceIds.h"
#include "app/dialogs/iAppFace.h"
#include "tests/app/dialogs/FakeDialogFace.h"
#include "tests/app/dialogs/FakeRegistryEnv.h"
#include "tests/app/dialogs/RecordingSounds.h"

namespace {

using Strings = std::vector<std::string>;

// What each dialog does on each notification, over fake windows.
class DialogBehaviourTest : public ::testing::Test {
 protected:
  FakeRegistryEnv env;
  RecordingSounds sounds;
  FakeDesktop desktop;
};

TEST_F(DialogBehaviourTest, TheSplashTimesItselfOutFitsItsPictureAndEndsLikeOk) {
  struct Case {
    const char* what;
    void (*act)(FakeDialogFace&);
    int result;
  };
  const Case cases[] = {
      {"its timer", [](FakeDialogFace& w) { w.Dialog().OnTimer(kSplashTimerId); }, kIdOk},
      {"a mouse release", [](FakeDialogFace& w) { w.Dialog().OnLButtonUp(); }, kIdOk},
      {"Escape", [](FakeDialogFace& w) { w.PressEscape(); }, kIdCancel},
      {"a close request", [](FakeDialogFace& w) { w.Dialog().OnClose(); }, kIdCancel},
  };
  for (const Case& c : cases) {
    CSplashWindow splash;
    FakeDialogFace window(splash, desktop);
    window.Init();
    EXPECT_EQ(window.Title(), "The Velt Plimsett Object Organizer");
    EXPECT_EQ(window.Timers(), (std::map<int, int>{{kSplashTimerId, 6500}}));
    EXPECT_EQ(window.FitItem(), kControlSplashPicture);
    splash.OnTimer(kSplashTimerId + 1);  // some other timer
    EXPECT_FALSE(window.EndedWith()) << c.what;
    c.act(window);
    EXPECT_EQ(window.EndedWith(), c.result) << c.what;
  }
  CSplashWindow closed;
  FakeDialogFace window(closed, desktop);
  window.Init();
  closed.OnClose();
  EXPECT_TRUE(window.Timers().empty());
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(DialogBehaviourTest, TheAboutBoxComesFromTheWindowMenuSilentlyAndFromItsButtonWithAClick) {
  env.InstallGame("C:\\Games\\The Velt");
  CSortChangerDlg dialog;
  FakeDialogFace window(dialog, desktop);
  window.Init();
  EXPECT_EQ(window.WindowMenu(), (std::vector<std::pair<unsigned, std::string>>{
                                     {0, ""}, {kCommandAbout, "&About The Velt Plimsett Object Organizer..."}}));
  EXPECT_EQ(window.Icon(), kIconMain);

  // Any command whose low four bits differ still means About.
  EXPECT_TRUE(dialog.OnSysCommand(kCommandAbout | 0x7));
  EXPECT_EQ(desktop.modals, std::vector<int>({kDialogAbout}));
  EXPECT_TRUE(sounds.calls.empty());
  // Minimise and close take the face's own way.
  EXPECT_FALSE(dialog.OnSysCommand(kCommandMinimize));
  EXPECT_FALSE(dialog.OnSysCommand(kCommandClose));

  window.Click(kControlAbout);
  EXPECT_EQ(desktop.modals, std::vector<int>({kDialogAbout, kDialogAbout}));
  EXPECT_EQ(sounds.calls, Strings({"play Click"}));
}

TEST_F(DialogBehaviourTest, WithoutTheGameTheMessageComesThenTheQuitAndStartUpGoesOn) {
  CSortChangerDlg dialog;
  FakeDialogFace window(dialog, desktop);
  window.Init();
  EXPECT_EQ(desktop.messages, std::vector<FakeDesktop::Message>(
                                  {{"The Velt was not detected on this computer. You must have The Velt "
                                    "installed to use this program.",
                                    "error"}}));
  EXPECT_EQ(desktop.quitCode, 0);
  EXPECT_STREQ(dialog.ObjectFolder().Text(), "\\GameData\\UserObjects\\");
  EXPECT_FALSE(window.Enabled(kControlSave));
  EXPECT_EQ(window.Text(kControlFunctionSort), "None");
  // Once the program is quitting no dialog runs.
  window.Click(kControlAbout);
  EXPECT_TRUE(desktop.modals.empty());
}

// Records the program's requests of the system, and runs dialogs on the
// fake desktop.
class FakeAppFace : public iAppFace {
 public:
  explicit FakeAppFace(FakeDesktop& desktop) : fDesktop(desktop) {}
  void Enable3dControls() override { calls.push_back("3d"); }
  void SetDialogColors(Color b, Color t) override {
    calls.push_back("colors " + std::to_string(b.fRed) + "," + std::to_string(b.fGreen) + "," +
                    std::to_string(b.fBlue) + " " + std::to_string(t.fRed) + "," + std::to_string(t.fGreen) +
                    "," + std::to_string(t.fBlue));
  }
  void SetRegistryKey(const char* company) override { calls.push_back(std::string("company ") + company); }
  int RunModal(DialogBehaviour& dialog) override {
    calls.push_back("run " + std::to_string(dialog.Template().id));
    return fDesktop.RunModal(dialog);
  }
  int ExitCode() const override { return fDesktop.quitCode.value_or(0); }

  Strings calls;

 private:
  FakeDesktop& fDesktop;
};

TEST_F(DialogBehaviourTest, StartUpPlaysTheSplashWithItsSoundThenRunsTheMainDialog) {
  env.InstallGame("C:\\Games\\The Velt");
  FakeAppFace face(desktop);
  CSortChangerApp app(face);
  Strings soundsAtSplash;
  bool mainDialogWasCurrent = false;
  desktop.answer = [&](FakeDialogFace& window) {
    if (window.Dialog().Template().id == kDialogSplash) soundsAtSplash = sounds.calls;
    if (window.Dialog().Template().id == kDialogMain) mainDialogWasCurrent = app.MainWindow() == &window.Dialog();
    window.PressEscape();
  };
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(face.calls, Strings({"3d", "colors 142,0,0 255,255,255", "run 201", "company Korva", "run 102"}));
  EXPECT_EQ(soundsAtSplash, Strings({"play Velt"}));
  EXPECT_EQ(sounds.calls, Strings({"play Velt", "stop"}));
  EXPECT_TRUE(mainDialogWasCurrent);
  EXPECT_EQ(app.MainWindow(), nullptr);
}

}  // namespace
