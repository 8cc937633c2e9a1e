#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "window/window_services.h"

namespace brenvo1::window {

// A QMessageBox with the caption "Brenvo1", no icon and one OK button;
// details, when there are any, go one per line into the text it can unfold,
// each shortened in the middle to its width as the result list's rows are.
//
// The box takes the window's input while it is shown, as a modal box
// would, but without Qt's modality, which throws away a close request for
// the window behind the box: the window must still hear it (and dismiss the
// box) to end the program.
class QtMessageBox : public MessageBox {
 public:
  explicit QtMessageBox(QWidget* parent) : parent_(parent) {}
  void Show(std::string_view text, std::span<const std::string> details = {}) override;
  void Dismiss() override;
  bool showing() const override { return !shown_.isNull(); }

 private:
  QPointer<QWidget> parent_;
  QPointer<QMessageBox> shown_;
};

}  // namespace brenvo1::window
