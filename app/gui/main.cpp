#include <QApplication>
#include <QStringList>

#include <iostream>
#include <string_view>

#include "VeltVersion.h"
#include "app/dialogs/CSortChangerApp.h"
#include "app/gui/QtAppFace.h"
#include "app/gui/QuietMessages.h"

namespace {

constexpr const char* kUsage =
    "usage: velt-organizer [--help | --version]\n"
    "Lists the object files of The Velt and changes their catalogue sorts. The game's folder\n"
    "comes from the registry of the Wine prefix in WINEPREFIX (or ~/.wine).\n";

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
  // Qt takes its own options out; whatever is left is not this program's.
  const QStringList rest = QCoreApplication::arguments().mid(1);
  if (!rest.isEmpty()) {
    std::cerr << "velt-organizer: unknown option " << rest.front().toStdString() << "\n" << kUsage;
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("The Velt Plimsett Object Organizer"));
  QtAppFace face;
  CSortChangerApp organizer(face);
  return organizer.Run();
}
