#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include "app/dialogs/DialogResources.h"
#include "app/dialogs/ResourceIds.h"
#include "app/gui/AppResources.h"
#include "app/gui/DialogFonts.h"
#include "app/gui/DialogUnits.h"
#include "app/gui/QtSoundService.h"

namespace {

TEST(ResourcesTest, ButtonImagesAreFoundByNameWhateverTheCase) {
  AppResources::Init();
  for (const char* caption : {"SAVE", "ABOUT", "OK"}) {
    for (const char* state : {"U", "D", "F", "X"}) {
      const QString name = QString(caption) + state;
      const QPixmap upper = AppResources::Bitmap(name);
      EXPECT_EQ(upper.size(), QSize(131, 40)) << name.toStdString();
      EXPECT_EQ(AppResources::Bitmap(name.toLower()).size(), QSize(131, 40));
    }
  }
  EXPECT_TRUE(AppResources::Bitmap("SAVEQ").isNull());
  EXPECT_TRUE(AppResources::Bitmap("").isNull());
}

TEST(ResourcesTest, PicturesIconAndStrings) {
  AppResources::Init();
  EXPECT_EQ(AppResources::Bitmap(kBitmapAbout).size(), QSize(140, 153));
  EXPECT_EQ(AppResources::Bitmap(kBitmapSplash).size(), QSize(320, 240));
  EXPECT_FALSE(AppResources::Icon(kIconMain).isNull());
  EXPECT_STREQ(DialogResources::String(kStringAboutItem), "&About The Velt Plimsett Object Organizer...");
  EXPECT_STREQ(DialogResources::String(999), "");
}

TEST(ResourcesTest, SoundsAreFoundByNameWhateverTheCase) {
  AppResources::Init();
  EXPECT_FALSE(AppResources::SoundPath("Click").isEmpty());
  EXPECT_FALSE(AppResources::SoundPath("Velt").isEmpty());
  EXPECT_EQ(AppResources::SoundPath("click"), AppResources::SoundPath("CLICK"));
  EXPECT_TRUE(AppResources::SoundPath("Boom").isEmpty());
}

TEST(ResourcesTest, SoundsNeverBlockWithoutADeviceOrAResource) {
  QtSoundService service;
  service.Play("Boom");      // missing: plays nothing
  service.Play("Velt");
  service.Play("Click");     // replaces the start sound
  service.Play("Click");     // restarts itself
  service.Stop();
  service.Stop();
  SUCCEED();
}

TEST(ResourcesTest, DialogUnitsRoundLikeThePlatform) {
  const DialogUnits units(6, 13);
  EXPECT_EQ(units.ToPixelsX(303), 455);   // 454.5 rounds up
  EXPECT_EQ(units.ToPixelsY(170), 276);   // 276.25
  EXPECT_EQ(units.ToPixelsX(7), 11);      // 10.5
  EXPECT_EQ(units.ToPixelsY(1), 2);       // 1.625
  EXPECT_EQ(units.ToPixels(7, 13, 85, 153), QRect(11, 21, 128, 249));
  EXPECT_EQ(units.ToPixelsX(-2), -3);
}

TEST(ResourcesTest, DialogFontsResolveToInstalledLookAlikes) {
  EXPECT_EQ(DialogFonts::ComicSansLineHeight(8, 96), 15);
  EXPECT_EQ(DialogFonts::ComicSansLineHeight(10, 96), 18);
  EXPECT_EQ(DialogFonts::ComicSansLineHeight(12, 96), 23);
  for (int id : {kDialogMain, kDialogAbout, kDialogError}) {
    const DialogTemplate& dialog = DialogResources::Find(id);
    const QFont font = DialogFonts::ForTemplate(dialog);
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family == "Comic Neue" || family == "Comic Sans MS") << family.toStdString();
    // The look-alike is as tall as the named font would be.
    if (family == "Comic Neue") {
      EXPECT_GE(QFontMetrics(font).height(), DialogFonts::ComicSansLineHeight(dialog.fontPointSize, 96));
      EXPECT_LE(QFontMetrics(font).height(), DialogFonts::ComicSansLineHeight(dialog.fontPointSize, 96) + 1);
    }
  }
  const DialogUnits splash = DialogFonts::UnitsFor(DialogResources::Find(kDialogSplash));
  EXPECT_EQ(splash.ToPixels(213, 148), QSize(320, 241));
  EXPECT_TRUE(DialogResources::Find(4242).controls.empty());
}

}  // namespace
