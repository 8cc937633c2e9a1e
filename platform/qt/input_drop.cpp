#include "platform/qt/input_drop.h"

#include <QEvent>
#include <QGuiApplication>

namespace brenvo1::platform {

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

InputDrop::InputDrop() { QCoreApplication::instance()->installEventFilter(this); }

InputDrop::~InputDrop() { QCoreApplication::instance()->removeEventFilter(this); }

bool InputDrop::eventFilter(QObject*, QEvent* event) { return IsUserInput(event->type()); }

void DropPendingInput() {
  const InputDrop dropping;
  // A round trip to the window system: whatever it had received before now
  // then reaches the program, and the filter, before this returns.
  QGuiApplication::sync();
}

}  // namespace brenvo1::platform
