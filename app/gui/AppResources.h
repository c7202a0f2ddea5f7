#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's pictures and sounds, compiled in as Qt resources (its dialog
// templates and strings are in app/dialogs). Names compare without regard to
// case, so "Click" finds CLICK.wav and "okx" finds OKX.bmp.
class AppResources {
 public:
  // Registers the compiled-in resources; safe to call more than once.
  static void Init();

  // Bitmap by resource name ("SAVEU") or by number (184); null when missing.
  static QPixmap Bitmap(const QString& name);
  static QPixmap Bitmap(int id);

  static QIcon Icon(int id);

  // Resource path of a wave sound, or an empty string when there is none.
  static QString SoundPath(const QString& name);

 private:
  static QString Find(const QString& name, const QString& suffix);
};
