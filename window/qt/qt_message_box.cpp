#include "window/qt/qt_message_box.h"

#include <QEventLoop>
#include <QStringList>

#include "window/qt/qt_desktop.h"
#include "window/window_texts.h"

namespace brenvo1::window {

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
  box.setWindowModality(Qt::NonModal);
  const InputDrop others(&box);
  QEventLoop loop;
  QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
  shown_ = &box;
  box.show();
  if (box.isVisible()) loop.exec(QEventLoop::DialogExec);
  shown_ = nullptr;
}

void QtMessageBox::Dismiss() {
  if (shown_) shown_->done(QMessageBox::Ok);
}

}  // namespace brenvo1::window
