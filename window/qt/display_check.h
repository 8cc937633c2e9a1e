#pragma once

#include <optional>
#include <string>

namespace brenvo1::window {

// Why the program cannot hope to open a window: one line for the user,
// nullopt when a display may be there (the platform decides). Looks only
// at the environment, before Qt is started.
std::optional<std::string> MissingDisplayReason();

// Until StopGuardingStart is called, a fatal Qt message (the platform
// could not connect to its display, or no platform plugin could be loaded)
// prints one line and ends the program with status 1 instead of aborting
// with a core dump. Warnings given meanwhile are held back and the first
// one explains the failure.
void GuardStart();
void StopGuardingStart();

}  // namespace brenvo1::window
