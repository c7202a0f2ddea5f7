#include <QApplication>
#include <QStringList>

#include <iostream>
#include <string_view>

#include "VeltVersion.h"
#include "app/core/BackupStore.h"
#include "app/dialogs/CSortChangerApp.h"
#include "app/gui/QtAppFace.h"
#include "app/gui/QuietMessages.h"

namespace {

constexpr const char* kUsage =
    "usage: velt-organizer [--no-backup] [--help | --version]\n"
    "Lists the object files of The Velt and changes their catalogue sorts. The game's folder\n"
    "comes from the registry of the Wine prefix in WINEPREFIX (or ~/.wine). Each file is backed\n"
    "up before its first save in a run (see velt-sort restore); --no-backup turns that off.\n";
constexpr const char* kNoBackup = "--no-backup";

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is needed.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (argument == "--version") {
      std::cout << "velt-organizer " << kVeltVersion << "\n";
      return 0;
    }
  }
  QuietMessages::Install();
  QApplication application(argc, argv);
  // Qt takes its own options out; whatever is left but ours is not this
  // program's.
  QStringList rest = QCoreApplication::arguments().mid(1);
  if (rest.removeAll(QString::fromLatin1(kNoBackup)) > 0) BackupStore::Current().SetEnabled(false);
  if (!rest.isEmpty()) {
    std::cerr << "velt-organizer: unknown option " << rest.front().toStdString() << "\n" << kUsage;
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("The Velt Plimsett Object Organizer"));
  QtAppFace face;
  CSortChangerApp organizer(face);
  return organizer.Run();
}
