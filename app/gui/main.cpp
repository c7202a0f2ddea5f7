#include <QApplication>

#include "app/gui/CSortChangerApp.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("The Velt Plimsett Object Organizer"));
  CSortChangerApp organizer;
  return organizer.Run();
}
