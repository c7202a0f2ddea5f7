#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "app/gui/CAboutDlg.h"
#include "app/gui/CBitmapButton.h"
#include "app/gui/CErrorBox.h"
#include "app/gui/CSplashWindow.h"
#include "app/gui/ResourceIds.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::ModalCloser;
using guitest::QuitGuard;
using guitest::RecordingSounds;

namespace {

class SecondaryWindowsTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  RecordingSounds sounds;
};

TEST_F(SecondaryWindowsTest, SplashEndsOnMouseReleaseAndStartsItsTimer) {
  CSplashWindow splash;
  bool timerActive = false;
  int interval = 0;
  QString title;
  ModalCloser closer([&](QWidget*) {
    timerActive = splash.TimerActive();
    interval = splash.TimerInterval();
    title = splash.windowTitle();
    QTest::mouseRelease(&splash, Qt::LeftButton, {}, QPoint(10, 10));
  });
  EXPECT_EQ(splash.DoModal(), kIdOk);
  EXPECT_TRUE(timerActive);
  EXPECT_EQ(interval, 6500);
  EXPECT_EQ(title, "The Velt Plimsett Object Organizer");
  EXPECT_FALSE(splash.TimerActive());
}

TEST_F(SecondaryWindowsTest, SplashEndsOnItsTimerAndOnEscapeButNotOnOtherButtons) {
  {
    CSplashWindow splash;
    ModalCloser closer([&](QWidget*) {
      splash.OnTimer(kSplashTimerId + 1);  // some other timer: ignored
      EXPECT_TRUE(splash.isVisible());
      splash.OnTimer(kSplashTimerId);
    });
    EXPECT_EQ(splash.DoModal(), kIdOk);
  }
  {
    CSplashWindow splash;
    ModalCloser closer([&](QWidget*) {
      QTest::mouseRelease(&splash, Qt::RightButton, {}, QPoint(10, 10));
      EXPECT_TRUE(splash.isVisible());
      QTest::keyClick(&splash, Qt::Key_Escape);
    });
    EXPECT_EQ(splash.DoModal(), kIdCancel);
  }
  {
    CSplashWindow splash;
    ModalCloser closer([&](QWidget*) { splash.close(); });
    splash.DoModal();
    EXPECT_FALSE(splash.TimerActive());
  }
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(SecondaryWindowsTest, SplashShowsItsPictureWithoutFrame) {
  CSplashWindow splash;
  auto* picture = qobject_cast<QLabel*>(splash.Item(kControlSplashPicture));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->pixmap().size(), QSize(320, 240));
  EXPECT_EQ(picture->pos(), QPoint(0, 0));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  // The frame is the picture: 213 x 148 dialog units of the system dialog
  // font, whatever font stands in for it here (the height rounds up from 240.5).
  EXPECT_EQ(splash.size(), QSize(320, 241));
}

TEST_F(SecondaryWindowsTest, AboutBoxOkClicksAndEscapeIsSilent) {
  {
    CAboutDlg about;
    ModalCloser closer([&](QWidget*) {
      EXPECT_EQ(about.windowTitle(), "About The Velt Plimsett Object Organizer");
      EXPECT_EQ(about.BitmapButton(kIdOk)->size(), QSize(131, 40));
      QTest::mouseClick(about.Item(kIdOk), Qt::LeftButton);
    });
    EXPECT_EQ(about.DoModal(), kIdOk);
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  }
  sounds.calls.clear();
  {
    CAboutDlg about;
    ModalCloser closer([&](QWidget*) { QTest::keyClick(&about, Qt::Key_Escape); });
    EXPECT_EQ(about.DoModal(), kIdCancel);
    EXPECT_TRUE(sounds.calls.empty());
  }
  {
    CAboutDlg about;
    ModalCloser closer([&](QWidget*) { QTest::keyClick(&about, Qt::Key_Return); });
    EXPECT_EQ(about.DoModal(), kIdOk);
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  }
}

TEST_F(SecondaryWindowsTest, AboutBoxShowsTitleVersionAndPicture) {
  CAboutDlg about;
  QStringList texts;
  QSize picture;
  for (const QLabel* label : about.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) {
      picture = label->pixmap().size();
    } else {
      texts << label->text();
    }
  }
  EXPECT_TRUE(texts.contains("The Velt Plimsett Object Organizer\nVersion 1.0"));
  EXPECT_EQ(texts.size(), 4);
  EXPECT_EQ(picture, QSize(140, 153));
}

TEST_F(SecondaryWindowsTest, ErrorBoxShowsItsMessageAndOkClicks) {
  CErrorBox box;
  QString text;
  ModalCloser closer([&](QWidget*) {
    ASSERT_NE(box.Message(), nullptr);
    text = box.Message()->text();
    EXPECT_EQ(box.windowTitle(), "Error:");
    QTest::mouseClick(box.Item(kIdOk), Qt::LeftButton);
  });
  EXPECT_EQ(box.DoModal(), kIdOk);
  EXPECT_EQ(text, "This Object is not available in Buy Mode. You will NOT be able to change the sorts.");
  EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
}

TEST_F(SecondaryWindowsTest, ErrorBoxCloseBoxIsSilent) {
  CErrorBox box;
  ModalCloser closer([&](QWidget*) { box.close(); });
  EXPECT_EQ(box.DoModal(), kIdCancel);
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(SecondaryWindowsTest, BitmapButtonShowsTheImageOfItsState) {
  CAboutDlg about;
  CBitmapButton* ok = about.AutoLoad(kIdOk);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->CurrentState(), 'U');
  ok->setDown(true);
  EXPECT_EQ(ok->CurrentState(), 'D');
  ok->setDown(false);
  ok->setEnabled(false);
  EXPECT_EQ(ok->CurrentState(), 'X');
  EXPECT_FALSE(ok->CurrentImage().isNull());
  // The disabled image is a different picture from the normal one.
  ok->setEnabled(true);
  const QImage up = ok->CurrentImage().toImage();
  ok->setEnabled(false);
  EXPECT_NE(ok->CurrentImage().toImage(), up);
}

TEST_F(SecondaryWindowsTest, DialogsRefuseToRunOnceTheProgramIsQuitting) {
  QuitRequest::Post(0);
  CAboutDlg about;
  EXPECT_EQ(about.DoModal(), -1);
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
