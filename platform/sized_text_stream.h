#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/file_system.h"

namespace brenvo1::platform {

// A file read front to back up to the size it had when it was opened, which
// spares the read that would only report the end. A file whose size reads
// as zero (as kernel views in /proc do) is read until its end for real, up
// to kUnsizedLimit: past that it is some endless view, such as a process's
// page map, that would take minutes to read through, and it is reported as
// unreadable rather than searched in part. Each system supplies the reads.
class SizedTextStream : public TextStream {
 public:
  explicit SizedTextStream(std::uint64_t size) : size_known_(size > 0), remaining_(size) {}

  bool AtEndOfStream() final;
  std::size_t Read(std::span<char> destination) final;

  static constexpr std::uint64_t kUnsizedLimit = std::uint64_t{64} << 20;

 protected:
  // Reads at most size bytes; 0 only at the end of the file. Throws
  // FileSystemError.
  virtual std::size_t ReadSome(char* into, std::size_t size) = 0;
  // The first read of the file's content; a system may learn something
  // from it.
  virtual std::size_t ReadFirst(char* into, std::size_t size) { return ReadSome(into, size); }

 private:
  std::size_t ReadCounted(char* into, std::size_t size);

  bool size_known_;
  std::uint64_t remaining_;
  bool at_end_ = false;
  bool first_read_ = true;
  std::uint64_t read_ = 0;
  std::string lookahead_;
  std::size_t lookahead_used_ = 0;
};

}  // namespace brenvo1::platform
