#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "platform/file_system.h"

namespace brenvo1::platform {

// A file read front to back, on every system alike. When its size is known
// at opening, it is read up to that size, which spares the read that would
// only report the end. Otherwise it is read until a read reports the end,
// as long as that takes: past kUnsizedLimit the system is asked once for
// the file's size. A regular file is then read up to the size it has at
// that moment; a file whose size reads as zero (as kernel views in /proc
// do) or anything else is some endless view, such as a process's page map,
// that would take minutes to read through, and it is reported as
// unreadable rather than searched in part. Each system supplies the reads.
class FileStream : public TextStream {
 public:
  // size 0: not known.
  explicit FileStream(std::uint64_t size) : size_known_(size > 0), remaining_(size) {}

  std::size_t Read(std::span<char> destination) final;

  // Reads the file's first bytes now, up to size of them or to its end, so
  // that a thread of the read-ahead can wait for them while the walk goes
  // on; the Reads that follow hand them out first. Throws FileSystemError.
  void ReadAhead(std::size_t size);

  static constexpr std::uint64_t kUnsizedLimit = std::uint64_t{64} << 20;

 protected:
  // Reads at most size bytes; 0 only at the end of the file. Throws
  // FileSystemError.
  virtual std::size_t ReadSome(char* into, std::size_t size) = 0;
  // The first read of the file's content; a system may learn something
  // from it.
  virtual std::size_t ReadFirst(char* into, std::size_t size) { return ReadSome(into, size); }
  // The size of the file now when it is a regular file, or nullopt. Throws
  // FileSystemError.
  virtual std::optional<std::uint64_t> RegularFileSize() { return std::nullopt; }

 private:
  std::size_t ReadFromFile(char* into, std::size_t size);
  std::size_t ReadCounted(char* into, std::size_t size);
  void LearnSize();

  bool size_known_;
  std::uint64_t remaining_;
  bool at_end_ = false;
  bool first_read_ = true;
  std::uint64_t read_ = 0;
  // Read by ReadAhead and not handed out yet. Not cleared first: a chunk of
  // which a small file fills a page is not worth writing whole.
  std::unique_ptr<char[]> ahead_;
  std::size_t ahead_size_ = 0;
  std::size_t ahead_used_ = 0;
};

}  // namespace brenvo1::platform
