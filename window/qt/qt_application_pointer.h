#pragma once

#include "window/window_services.h"

namespace brenvo1::window {

// The application pointer as Qt's override cursor: it covers every window
// of the program, message boxes included, until it is set back.
class QtApplicationPointer : public ApplicationPointer {
 public:
  void SetMousePointer(MousePointer pointer) override;
};

}  // namespace brenvo1::window
