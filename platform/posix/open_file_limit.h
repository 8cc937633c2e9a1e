#pragma once

#include <sys/resource.h>

namespace brenvo1::platform::posix {

// The limit on open files. The program raises its own soft limit to the
// hard one, so that the files it opens ahead and the folders of a deep walk
// seldom run short; a program it starts gets the limit the user gave.
class OpenFileLimit {
 public:
  // Raises this process's soft limit to the hard limit, keeping the one it
  // found.
  static OpenFileLimit Raise();

  // Puts back the limit the user gave, in a child about to run another
  // program: system calls only, safe between fork and exec.
  void RestoreUsersLimit() const;

 private:
  bool raised_ = false;
  rlim_t users_limit_ = 0;
};

}  // namespace brenvo1::platform::posix
