#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QtGlobal>

#include "app/gui/QtSoundService.h"
#include "app/gui/QuietMessages.h"

namespace {

std::vector<std::string>* gPrinted = nullptr;

void Record(QtMsgType, const QMessageLogContext&, const QString& message) {
  if (gPrinted) gPrinted->push_back(message.toStdString());
}

// The messages that reach the handler below the filter while the program
// meets no runtime folder and no sound server.
TEST(QuietMessagesTest, NoRuntimeFolderAndNoSoundPrintNothingElseStillDoes) {
  std::vector<std::string> printed;
  gPrinted = &printed;
  const QtMessageHandler previous = qInstallMessageHandler(Record);
  QuietMessages::Install();

  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  const QByteArray server = qgetenv("PULSE_SERVER");
  qunsetenv("XDG_RUNTIME_DIR");
  qputenv("PULSE_SERVER", "unix:/nonexistent/velt-test-socket");
  QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  {
    QtSoundService sounds;
    sounds.Play("Click");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    sounds.Stop();
  }
  qWarning("something else");

  runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime);
  server.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", server);
  qInstallMessageHandler(previous);
  gPrinted = nullptr;
  EXPECT_EQ(printed, std::vector<std::string>({"something else"}));
}

}  // namespace
