#include "platform/qt/qt_message_box.h"

#include <QMessageBox>
#include <QStringList>

#include "platform/window_texts.h"

namespace brenvo1::platform {

namespace {
QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

void QtMessageBox::Show(std::string_view text, std::span<const std::string> details) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(texts::kMessageBoxCaption), FromUtf8(text), QMessageBox::Ok,
                  parent_.data());
  // Paths are file-name bytes; the box can only show them as text.
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(details.size()));
    for (const std::string& line : details) lines.append(FromUtf8(line));
    box.setDetailedText(lines.join(QLatin1Char('\n')));
  }
  box.exec();
}

}  // namespace brenvo1::platform
