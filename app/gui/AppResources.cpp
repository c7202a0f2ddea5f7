#include "app/gui/AppResources.h"

#include <QDir>


// The qrc lives in this static library, so the linker drops it unless it is
// registered by name.
static void InitAssetResources() { Q_INIT_RESOURCE(velt_assets); }

namespace {
const QString kRoot = QStringLiteral(":/velt/");
}

void AppResources::Init() { InitAssetResources(); }

QString AppResources::Find(const QString& name, const QString& suffix) {
  if (name.isEmpty()) return QString();
  const QString wanted = name + suffix;
  const QStringList entries = QDir(kRoot).entryList(QDir::Files);
  for (const QString& entry : entries) {
    if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return kRoot + entry;
  }
  return QString();
}

QPixmap AppResources::Bitmap(const QString& name) {
  const QString path = Find(name, QStringLiteral(".bmp"));
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QPixmap AppResources::Bitmap(int id) {
  return Bitmap(QStringLiteral("BITMAP%1").arg(id));
}

QIcon AppResources::Icon(int id) {
  const QPixmap pixmap = Bitmap(QStringLiteral("ICON%1").arg(id));
  return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

QString AppResources::SoundPath(const QString& name) {
  return Find(name, QStringLiteral(".wav"));
}

