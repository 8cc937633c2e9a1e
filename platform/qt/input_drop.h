#pragma once

#include <QObject>

namespace brenvo1::platform {

// While one lives, clicks, keys, drops and other user input delivered to
// the program are thrown away instead of reaching a widget. A search run
// holds the window: what the user gave meanwhile is not acted on, neither
// during the run nor after it.
class InputDrop : public QObject {
 public:
  InputDrop();
  ~InputDrop() override;
  InputDrop(const InputDrop&) = delete;
  InputDrop& operator=(const InputDrop&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Throws away the user input that reached the window system before now and
// was not yet delivered.
void DropPendingInput();

}  // namespace brenvo1::platform
