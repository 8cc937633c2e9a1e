#include "platform/posix/system_error.h"

#include <cerrno>
#include <cstring>

namespace brenvo1::platform::posix {

FailureReason ReasonOf(int error_number) {
  switch (error_number) {
    case EACCES:
    case EPERM:
      return FailureReason::AccessDenied;
    case ENOENT:
    case ESTALE:
      return FailureReason::Gone;
    case EBUSY:
    case ETXTBSY:
      return FailureReason::InUse;
    default:
      return FailureReason::Other;
  }
}

void ThrowError(std::string path, int error_number, const char* operation) {
  std::string system_text = std::strerror(error_number);
  std::string what = std::string(operation) + " " + path + ": " + system_text;
  throw FileSystemError(std::move(path), what, ReasonOf(error_number), std::move(system_text));
}

}  // namespace brenvo1::platform::posix
