#include "window/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionButton>
#include <QScrollBar>
#include <QTextEdit>
#include <algorithm>
#include <vector>

#include "messages/texts.h"
#include "window/qt/qt_desktop.h"
#include "window/qt/qt_text.h"
#include "window/shortened_path.h"

namespace brenvo1::window {

namespace {

// The button that unfolds the details, captioned with the window's own
// words (the same on Windows) rather than Qt's, which are Italian only
// where Qt's translations are installed. Qt names it anew at each click;
// the caption is set again once the details have been shown or hidden.
class DetailsCaption : public QObject {
 public:
  DetailsCaption(QAbstractButton* button, QWidget* details) : QObject(button), button_(button) {
    details->installEventFilter(this);
    button_->setText(FromUtf8(messages::kShowDetails));
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent) button_->setText(FromUtf8(messages::kHideDetails));
    if (event->type() == QEvent::HideToParent) button_->setText(FromUtf8(messages::kShowDetails));
    return false;
  }

 private:
  QAbstractButton* button_;
};

void LabelDetailsButton(QMessageBox& box) {
  const QTextEdit* text = box.findChild<QTextEdit*>();
  if (!text || !text->parentWidget()) return;
  for (QAbstractButton* button : box.buttons()) {
    if (box.buttonRole(button) != QMessageBox::ActionRole) continue;
    // Wide enough for either caption: Qt sizes it for its own two.
    QStyleOptionButton option;
    option.initFrom(button);
    int width = 0;
    for (const std::string_view caption : {messages::kShowDetails, messages::kHideDetails}) {
      option.text = FromUtf8(caption);
      const QSize size = button->fontMetrics().size(Qt::TextShowMnemonic, option.text);
      width = std::max(width, button->style()->sizeFromContents(QStyle::CT_PushButton, &option, size, button).width());
    }
    button->setMinimumWidth(width);
    new DetailsCaption(button, text->parentWidget());
  }
}
// The widest the details make the box, as the Windows box's.
constexpr int kWidestDetails = 720;

// The details one per line, never broken: each line too wide for the text
// area is shortened in the middle, as a row of the result list is, so that
// its file name, and the reason in front of it, stay in sight. The box is
// as wide as the longest line needs, up to kWidestDetails, folded or not
// (it does not grow off the screen when unfolded), and the lines are
// shortened again whenever the area changes width.
class ShortenedDetails : public QObject {
 public:
  ShortenedDetails(QMessageBox& box, QTextEdit* area, std::span<const std::string> lines)
      : QObject(area), area_(area), lines_(lines.begin(), lines.end()) {
    area->setLineWrapMode(QTextEdit::NoWrap);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int widest = 0;
    for (const std::string& line : lines_) widest = std::max(widest, Measure(BoundedPath(line)));
    const int frame = area->width() - area->viewport()->width() + area->verticalScrollBar()->sizeHint().width() +
                      2 * Margin();
    // The box's width is its layout's least: a row of that width below all.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
      grid->addItem(new QSpacerItem(std::min(widest + frame, kWidestDetails), 0), grid->rowCount(), 0, 1,
                    grid->columnCount());
    }
    area->viewport()->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) Shorten();
    return false;
  }

 private:
  int Margin() const { return static_cast<int>(area_->document()->documentMargin()) + 1; }
  int Measure(std::string_view text) const { return area_->fontMetrics().horizontalAdvance(FromUtf8(text)); }

  void Shorten() {
    const int width = area_->viewport()->width() - 2 * Margin();
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(lines_.size()));
    for (const std::string& line : lines_) {
      shown.append(FromUtf8(ShortenedPath(line, width, [this](std::string_view text) { return Measure(text); })));
    }
    // The same text again would scroll the area back to its top.
    const QString text = shown.join(QLatin1Char('\n'));
    if (text != area_->toPlainText()) area_->setPlainText(text);
  }

  QTextEdit* area_;
  std::vector<std::string> lines_;
};

}  // namespace

void QtMessageBox::Show(std::string_view text, std::span<const std::string> details) {
  QMessageBox box(QMessageBox::NoIcon, FromUtf8(messages::kMessageBoxCaption), FromUtf8(text), QMessageBox::Ok,
                  parent_.data());
  // Paths are file-name bytes; the box can only show them as text.
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(details.size()));
    for (const std::string& line : details) lines.append(FromUtf8(line));
    box.setDetailedText(lines.join(QLatin1Char('\n')));
    LabelDetailsButton(box);
    if (QTextEdit* area = box.findChild<QTextEdit*>()) new ShortenedDetails(box, area, details);
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
