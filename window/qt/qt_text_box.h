#pragma once

#include <QLineEdit>

#include "window/window_services.h"

namespace brenvo1::window {

// A single-line text box whose text the search reads as UTF-8.
class QtTextBox : public QLineEdit, public TextBox {
  Q_OBJECT

 public:
  explicit QtTextBox(QWidget* parent = nullptr);
  std::string Text() const override;
};

}  // namespace brenvo1::window
