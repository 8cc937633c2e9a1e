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
  std::string what = std::string(operation) + " " + path + ": " + std::strerror(error_number);
  throw FileSystemError(std::move(path), what, ReasonOf(error_number));
}

}  // namespace brenvo1::platform::posix
