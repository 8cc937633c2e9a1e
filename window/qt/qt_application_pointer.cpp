#include "window/qt/qt_application_pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace brenvo1::window {

// The pointer is a value that is set, not a stack of requests: setting the
// hourglass twice and the default once leaves no override behind.
void QtApplicationPointer::SetMousePointer(MousePointer pointer) {
  if (pointer == MousePointer::Hourglass) {
    if (QGuiApplication::overrideCursor() != nullptr) {
      QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
      QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    return;
  }
  while (QGuiApplication::overrideCursor() != nullptr) QGuiApplication::restoreOverrideCursor();
}

}  // namespace brenvo1::window
