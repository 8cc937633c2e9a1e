#include "platform/posix/open_file_limit.h"

#include <algorithm>

namespace brenvo1::platform::posix {

OpenFileLimit OpenFileLimit::Raise() {
  OpenFileLimit limit;
  struct rlimit now;
  if (::getrlimit(RLIMIT_NOFILE, &now) == 0 && now.rlim_cur < now.rlim_max) {
    const rlim_t users = now.rlim_cur;
    now.rlim_cur = now.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &now) == 0) {
      limit.raised_ = true;
      limit.users_limit_ = users;
    }
  }
  return limit;
}

void OpenFileLimit::RestoreUsersLimit() const {
  if (!raised_) return;
  struct rlimit now;
  if (::getrlimit(RLIMIT_NOFILE, &now) != 0) return;
  now.rlim_cur = std::min(users_limit_, now.rlim_max);
  ::setrlimit(RLIMIT_NOFILE, &now);
}

}  // namespace brenvo1::platform::posix
