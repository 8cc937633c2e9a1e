#include "window/qt/display_check.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "messages/texts.h"
#include "window/qt/qt_text.h"

namespace brenvo1::window {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

QtMessageHandler previous_handler = nullptr;
QString first_warning;

void StartHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    if (first_warning.isEmpty()) first_warning = message.section(QLatin1Char('\n'), 0, 0);
    return;
  }
  const char* display = std::getenv("DISPLAY");
  QString line = FromUtf8(messages::kDisplayUnreachable) +
                 QStringLiteral("\"%1\"").arg(QString::fromLocal8Bit(display != nullptr ? display : ""));
  const QString cause = first_warning.isEmpty() ? message.section(QLatin1Char('\n'), 0, 0) : first_warning;
  if (!cause.isEmpty()) line += QStringLiteral(" (%1)").arg(cause);
  std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  std::fflush(stderr);
  ::_exit(1);
}

}  // namespace

std::optional<std::string> MissingDisplayReason() {
  if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) return std::nullopt;
  return std::string(messages::kNoDisplay);
}

void GuardStart() { previous_handler = qInstallMessageHandler(StartHandler); }

void StopGuardingStart() {
  qInstallMessageHandler(previous_handler);
  first_warning.clear();
}

}  // namespace brenvo1::window
