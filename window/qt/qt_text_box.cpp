#include "window/qt/qt_text_box.h"

#include <limits>

namespace brenvo1::window {

QtTextBox::QtTextBox(QWidget* parent) : QLineEdit(parent) {
  // A text box of the original form takes text of any length; Qt's default
  // would cut it at 32767 characters.
  setMaxLength(std::numeric_limits<int>::max());
}

std::string QtTextBox::Text() const { return text().toUtf8().toStdString(); }

}  // namespace brenvo1::window
