#include "window/qt/display_check.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace brenvo1::window {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

QtMessageHandler previousHandler = nullptr;
QString firstWarning;

void StartHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    if (firstWarning.isEmpty()) firstWarning = message.section(QLatin1Char('\n'), 0, 0);
    return;
  }
  const char* display = std::getenv("DISPLAY");
  QString line = QStringLiteral("brenvo1: impossibile aprire la finestra sul display \"%1\"")
                     .arg(QString::fromLocal8Bit(display != nullptr ? display : ""));
  const QString cause = firstWarning.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0) : firstWarning;
  if (!cause.isEmpty()) line += QStringLiteral(" (%1)").arg(cause);
  std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  std::fflush(stderr);
  ::_exit(1);
}

}  // namespace

std::optional<std::string> MissingDisplayReason() {
  if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return std::nullopt;
  return "brenvo1: nessun display grafico disponibile (DISPLAY e WAYLAND_DISPLAY non sono impostate)";
}

void GuardStart() { previousHandler = qInstallMessageHandler(StartHandler); }

void StopGuardingStart() {
  qInstallMessageHandler(previousHandler);
  firstWarning.clear();
}

}  // namespace brenvo1::window
