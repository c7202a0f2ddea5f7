#include "app/gui/QuietMessages.h"

#include <cstring>

#include <QString>
#include <QtGlobal>

namespace {

// The starts of the messages that Qt and Qt Multimedia print for these
// conditions (Qt 6.4).
constexpr const char* kQuietStarts[] = {
    "QStandardPaths: XDG_RUNTIME_DIR not set",
    "PulseAudioService: pa_context_connect() failed",
    "No audio device detected",
};

QtMessageHandler gPrevious = nullptr;

bool IsQuiet(QtMsgType type, const char* category, const QString& message) {
  if (type != QtWarningMsg || (category && std::strcmp(category, "default") != 0)) return false;
  for (const char* start : kQuietStarts) {
    if (message.startsWith(QLatin1String(start))) return true;
  }
  return false;
}

void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (IsQuiet(type, context.category, message)) return;
  if (gPrevious) gPrevious(type, context, message);
}

}  // namespace

void QuietMessages::Install() {
  const QtMessageHandler current = qInstallMessageHandler(Filter);
  if (current != Filter) gPrevious = current;
}
