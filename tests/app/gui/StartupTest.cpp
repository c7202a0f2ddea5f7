#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "app/gui/CSortChangerApp.h"
#include "app/gui/CSortChangerDlg.h"
#include "app/gui/CSplashWindow.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::FakeRegistryEnv;
using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RecordingSounds;

namespace {

class StartupTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  FakeRegistryEnv env;
  RecordingSounds sounds;
  CSortChangerApp app;
};

// Clicks the splash away and closes the main dialog, noting what it met.
std::function<void(QWidget*)> ClickThrough(CSortChangerApp& app, std::vector<std::string>* sounds,
                                           std::vector<std::string>* soundsAtMain) {
  return [&app, sounds, soundsAtMain](QWidget* modal) {
    if (qobject_cast<CSplashWindow*>(modal)) {
      QTest::mouseRelease(modal, Qt::LeftButton, {}, QPoint(5, 5));
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      box->button(QMessageBox::Ok)->click();
    } else if (modal == app.MainWindow()) {
      *soundsAtMain = *sounds;
      QTest::keyClick(modal, Qt::Key_Escape);
    }
  };
}

TEST_F(StartupTest, SplashWithStartSoundThenTheMainDialog) {
  env.InstallGame("C:\\Games\\The Velt");
  std::vector<std::string> soundsAtMain;
  ModalCloser closer(ClickThrough(app, &sounds.calls, &soundsAtMain));
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(closer.seen, std::vector<std::string>({"CSplashWindow", "CSortChangerDlg"}));
  // The start sound is stopped when the splash is clicked away.
  EXPECT_EQ(soundsAtMain, std::vector<std::string>({"play Velt", "stop"}));
  EXPECT_EQ(QCoreApplication::organizationName(), "Korva");
  EXPECT_EQ(app.MainWindow(), nullptr);
}

TEST_F(StartupTest, WithoutTheGameTheMessageAppearsAndTheProgramEndsWithZero) {
  std::vector<std::string> soundsAtMain;
  ModalCloser closer(ClickThrough(app, &sounds.calls, &soundsAtMain));
  EXPECT_EQ(app.Run(), 0);
  // The main dialog is never left waiting for the player: the quit request
  // ends its modal loop as soon as it starts.
  EXPECT_EQ(closer.seen, std::vector<std::string>({"CSplashWindow", "QMessageBox"}));
  EXPECT_TRUE(soundsAtMain.empty());
}

TEST_F(StartupTest, AKeyWithoutAFolderValueShowsNoMessage) {
  env.registry.keys["Software\\Korva\\The Velt"]["OTHER"] = "x";
  std::vector<std::string> soundsAtMain;
  ModalCloser closer(ClickThrough(app, &sounds.calls, &soundsAtMain));
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(closer.seen, std::vector<std::string>({"CSplashWindow", "CSortChangerDlg"}));
}

}  // namespace
