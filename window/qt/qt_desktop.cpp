#include "window/qt/qt_desktop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include "window/qt/qt_text.h"

namespace brenvo1::window {

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

// Input reaches a window's QWindow first, then the widget it is for.
bool BelongsTo(QObject* receiver, QWidget& window) {
  if (auto* widget = qobject_cast<QWidget*>(receiver)) return widget->window() == &window;
  return receiver == window.windowHandle();
}

}  // namespace

InputDrop::InputDrop(QWidget* except) : except_(except) { QCoreApplication::instance()->installEventFilter(this); }

InputDrop::~InputDrop() { QCoreApplication::instance()->removeEventFilter(this); }

bool InputDrop::eventFilter(QObject* watched, QEvent* event) {
  if (!IsUserInput(event->type())) return false;
  if (except_) {
    if (BelongsTo(watched, *except_->window())) return false;
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::NonClientAreaMouseButtonPress) {
      except_->raise();
      except_->activateWindow();
    }
  }
  return true;
}

void QtDesktop::AnswerWithoutInput() {
  const InputDrop dropping;
  QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
}

void QtDesktop::DropPendingInput() {
  const InputDrop dropping;
  QGuiApplication::sync();
}

void QtClipboard::SetText(std::string_view text) { QGuiApplication::clipboard()->setText(FromUtf8(text)); }

}  // namespace brenvo1::window
