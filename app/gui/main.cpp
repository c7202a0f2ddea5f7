#include <QApplication>

#include "app/dialogs/CSortChangerApp.h"
#include "app/gui/QtAppFace.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("The Velt Plimsett Object Organizer"));
  QtAppFace face;
  CSortChangerApp organizer(face);
  return organizer.Run();
}
