#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brenvo1::cli {

// Where brenvo1-scan writes: standard output or standard error, as each
// system gives them.
class ScanOutput {
 public:
  virtual ~ScanOutput() = default;
  // Keeps bytes and writes them in blocks; everything goes out by Flush.
  virtual void Write(std::string_view bytes) = 0;
  // Writes bytes only when the output can carry them exactly (a Windows
  // file or pipe, in the console's code page, cannot carry every name):
  // false, with nothing written, when it cannot.
  virtual bool WriteExact(std::string_view bytes) {
    Write(bytes);
    return true;
  }
  virtual void Flush() = 0;
  // A terminal, where each hit is shown as it is found.
  virtual bool interactive() const = 0;
  // The system's reason for the first write that failed: the output is
  // then incomplete. nullopt while everything went out.
  virtual std::optional<std::string> failure() const = 0;
};

}  // namespace brenvo1::cli
