#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTimer>

#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/CErrorBox.h"
#include "app/dialogs/CSplashWindow.h"
#include "app/dialogs/ResourceIds.h"
#include "app/gui/CBitmapButton.h"
#include "tests/app/gui/GuiTestSupport.h"

using guitest::ModalCloser;
using guitest::QuitGuard;

namespace {

class SecondaryWindowsTest : public ::testing::Test {
 protected:
  QuitGuard quit;
  RecordingSounds sounds;
};

TEST_F(SecondaryWindowsTest, SplashEndsOnMouseReleaseAndStartsItsTimer) {
  CSplashWindow splash;
  TemplateDialog window(splash);
  bool timerActive = false;
  int interval = 0;
  QString title;
  ModalCloser closer([&](QWidget*) {
    const QTimer* timer = window.Timer(kSplashTimerId);
    timerActive = timer && timer->isActive();
    interval = timer ? timer->interval() : 0;
    title = window.windowTitle();
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(10, 10));
  });
  EXPECT_EQ(window.DoModal(), kIdOk);
  EXPECT_TRUE(timerActive);
  EXPECT_EQ(interval, 6500);
  EXPECT_EQ(title, "The Velt Plimsett Object Organizer");
  EXPECT_FALSE(window.Timer(kSplashTimerId)->isActive());
}

TEST_F(SecondaryWindowsTest, SplashEndsOnItsTimerAndOnEscapeButNotOnOtherButtons) {
  {
    CSplashWindow splash;
    TemplateDialog window(splash);
    ModalCloser closer([&](QWidget*) {
      // The real timer, made to fire at once.
      window.Timer(kSplashTimerId)->start(0);
    });
    EXPECT_EQ(window.DoModal(), kIdOk);
  }
  {
    CSplashWindow splash;
    TemplateDialog window(splash);
    ModalCloser closer([&](QWidget*) {
      QTest::mouseRelease(&window, Qt::RightButton, {}, QPoint(10, 10));
      EXPECT_TRUE(window.isVisible());
      QTest::keyClick(&window, Qt::Key_Escape);
    });
    EXPECT_EQ(window.DoModal(), kIdCancel);
  }
  {
    CSplashWindow splash;
    TemplateDialog window(splash);
    ModalCloser closer([&](QWidget*) { window.close(); });
    EXPECT_EQ(window.DoModal(), kIdCancel);
    EXPECT_FALSE(window.Timer(kSplashTimerId)->isActive());
  }
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(SecondaryWindowsTest, SplashIsExactlyItsPictureWithoutFrame) {
  CSplashWindow splash;
  TemplateDialog window(splash);
  QSize size;
  ModalCloser closer([&](QWidget*) {
    size = window.size();
    window.reject();
  });
  window.DoModal();
  auto* picture = qobject_cast<QLabel*>(window.Item(kControlSplashPicture));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->pixmap().size(), QSize(320, 240));
  EXPECT_EQ(picture->pos(), QPoint(0, 0));
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
  // 213 x 148 dialog units of the system dialog font come to 320 x 241
  // pixels; the window is the picture, without a stripe below it.
  EXPECT_EQ(size, QSize(320, 240));
}

TEST_F(SecondaryWindowsTest, AboutBoxOkClicksAndEscapeIsSilent) {
  CAboutDlg about;
  {
    TemplateDialog window(about);
    ModalCloser closer([&](QWidget*) {
      EXPECT_EQ(window.windowTitle(), "About The Velt Plimsett Object Organizer");
      EXPECT_EQ(window.BitmapButton(kIdOk)->size(), QSize(131, 40));
      QTest::mouseClick(window.Item(kIdOk), Qt::LeftButton);
    });
    EXPECT_EQ(window.DoModal(), kIdOk);
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  }
  sounds.calls.clear();
  {
    TemplateDialog window(about);
    ModalCloser closer([&](QWidget*) { QTest::keyClick(&window, Qt::Key_Escape); });
    EXPECT_EQ(window.DoModal(), kIdCancel);
    EXPECT_TRUE(sounds.calls.empty());
  }
  {
    TemplateDialog window(about);
    ModalCloser closer([&](QWidget*) { QTest::keyClick(&window, Qt::Key_Return); });
    EXPECT_EQ(window.DoModal(), kIdOk);
    EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
  }
}

TEST_F(SecondaryWindowsTest, AboutBoxShowsTitleVersionAndPicture) {
  CAboutDlg about;
  TemplateDialog window(about);
  QStringList texts;
  QSize picture;
  for (const QLabel* label : window.findChildren<QLabel*>()) {
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
  TemplateDialog window(box);
  QString text;
  ModalCloser closer([&](QWidget*) {
    auto* message = qobject_cast<QLabel*>(window.Item(kControlErrorText));
    ASSERT_NE(message, nullptr);
    text = message->text();
    EXPECT_EQ(window.windowTitle(), "Error:");
    QTest::mouseClick(window.Item(kIdOk), Qt::LeftButton);
  });
  EXPECT_EQ(window.DoModal(), kIdOk);
  EXPECT_EQ(text, "This Object is not available in Buy Mode. You will NOT be able to change the sorts.");
  EXPECT_EQ(sounds.calls, std::vector<std::string>({"play Click"}));
}

TEST_F(SecondaryWindowsTest, ErrorBoxCloseBoxIsSilent) {
  CErrorBox box;
  TemplateDialog window(box);
  ModalCloser closer([&](QWidget*) { window.close(); });
  EXPECT_EQ(window.DoModal(), kIdCancel);
  EXPECT_TRUE(sounds.calls.empty());
}

TEST_F(SecondaryWindowsTest, BitmapButtonShowsTheImageOfItsState) {
  CAboutDlg about;
  TemplateDialog window(about);
  CBitmapButton* ok = window.BitmapButton(kIdOk);
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
  TemplateDialog window(about);
  EXPECT_EQ(window.DoModal(), -1);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace

