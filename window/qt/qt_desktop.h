#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "window/window_services.h"

namespace brenvo1::window {

// While one lives, clicks, keys, drops and other user input delivered to
// the program are thrown away instead of reaching a widget, except input
// for the window given, when there is one (a box that has the input while
// it is shown); a click elsewhere brings that window to the front.
class InputDrop : public QObject {
 public:
  explicit InputDrop(QWidget* except = nullptr);
  ~InputDrop() override;
  InputDrop(const InputDrop&) = delete;
  InputDrop& operator=(const InputDrop&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> except_;
};

// The desktop as Qt's event loop sees it.
class QtDesktop : public Desktop {
 public:
  // Timers wait, so that only the window system's events and the repaints
  // they ask for run inside a search run. A close request gets through.
  void AnswerWithoutInput() override;
  // A round trip to the window system: whatever it had received before
  // now then reaches the program, and the drop, before this returns.
  void DropPendingInput() override;
};

// The clipboard of the desktop. A path that is not UTF-8 goes there as it
// shows, with replacement characters: the clipboard holds text.
class QtClipboard : public Clipboard {
 public:
  void SetText(std::string_view text) override;
};

}  // namespace brenvo1::window
