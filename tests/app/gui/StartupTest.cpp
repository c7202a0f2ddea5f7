#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "app/dialogs/CSortChangerApp.h"
#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/CSplashWindow.h"
#include "app/dialogs/ResourceIds.h"
#include "app/gui/QtAppFace.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::ModalCloser;
using guitest::QuitGuard;

namespace {

class StartupTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  FakeRegistryEnv env;
  RecordingSounds sounds;
  QtAppFace face;
  CSortChangerApp app{face};
};

// Clicks the splash away and closes the main dialog, noting what it met.
std::function<void(QWidget*)> ClickThrough(CSortChangerApp& app, std::vector<std::string>* sounds,
                                           std::vector<std::string>* soundsAtMain) {
  return [&app, sounds, soundsAtMain](QWidget* modal) {
    auto* window = qobject_cast<TemplateDialog*>(modal);
    if (window && dynamic_cast<CSplashWindow*>(&window->Behaviour())) {
      QTest::mouseRelease(modal, Qt::LeftButton, {}, QPoint(5, 5));
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      box->button(QMessageBox::Ok)->click();
    } else if (window && &window->Behaviour() == app.MainWindow()) {
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

TEST_F(StartupTest, TheMainDialogIsAWindowOfItsOwnAndTheOthersAreItsDialogs) {
  env.InstallGame("C:\\Games\\The Velt");
  Qt::WindowType mainType = Qt::Widget;
  Qt::WindowType aboutType = Qt::Widget;
  const QWindow* mainParent = nullptr;
  ModalCloser closer([&](QWidget* modal) {
    auto* window = qobject_cast<TemplateDialog*>(modal);
    if (window && &window->Behaviour() == app.MainWindow()) {
      mainType = window->windowType();
      mainParent = window->windowHandle()->transientParent();
      ModalCloser about([&](QWidget* box) {
        aboutType = box->windowType();
        QTest::keyClick(box, Qt::Key_Escape);
      });
      QTest::mouseClick(window->Item(kControlAbout), Qt::LeftButton);
      QTest::keyClick(modal, Qt::Key_Escape);
    } else {
      QTest::keyClick(modal, Qt::Key_Escape);
    }
  });
  app.Run();
  // Task bars list a plain window; a dialog belongs to another window.
  EXPECT_EQ(mainType, Qt::Window);
  EXPECT_EQ(mainParent, nullptr);
  EXPECT_EQ(aboutType, Qt::Dialog);
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
