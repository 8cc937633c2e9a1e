#pragma once

#include <string>

#include "platform/file_system.h"

namespace brenvo1::platform::posix {

// What the user can do about errno's error.
FailureReason ReasonOf(int error_number);

// Throws FileSystemError for operation on path, with the system's words.
[[noreturn]] void ThrowError(std::string path, int error_number, const char* operation);

}  // namespace brenvo1::platform::posix
