#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/window_services.h"

namespace brenvo1::platform {

// A modal QMessageBox with the caption "Brenvo1", no icon and one OK button;
// details, when there are any, go one per line into the text it can unfold.
class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* parent) : parent_(parent) {}
  void Show(std::string_view text, std::span<const std::string> details = {}) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace brenvo1::platform
