#pragma once

#include <string>

#include "platform/windows/windows_api.h"

namespace brenvo1::platform::windows {

// The system's own words for an error code, in the language of the
// system, followed by the code in brackets: "Accesso negato. (5)".
std::string SystemErrorText(DWORD error);

}  // namespace brenvo1::platform::windows
