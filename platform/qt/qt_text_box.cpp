#include "platform/qt/qt_text_box.h"

namespace brenvo1::platform {

QtTextBox::QtTextBox(QWidget* parent) : QLineEdit(parent) {}

std::string QtTextBox::Text() const { return text().toUtf8().toStdString(); }

}  // namespace brenvo1::platform
