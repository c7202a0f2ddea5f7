#include <QApplication>

#include "app/dialogs/CSortChangerApp.h"
#include "app/gui/QtAppFace.h"
#include "app/gui/QuietMessages.h"

int main(int argc, char** argv) {
  QuietMessages::Install();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("The Velt Plimsett Object Organizer"));
  QtAppFace face;
  CSortChangerApp organizer(face);
  return organizer.Run();
}
