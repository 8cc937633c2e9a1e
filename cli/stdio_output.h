#pragma once

#include <cstdio>

#include "cli/scan_output.h"

namespace brenvo1::cli {

// Standard output or error through the C library's buffered stream; the
// caller sets its buffering.
class StdioOutput : public ScanOutput {
 public:
  explicit StdioOutput(std::FILE* stream);
  void Write(std::string_view bytes) override;
  void Flush() override;
  bool interactive() const override { return interactive_; }
  std::optional<std::string> failure() const override { return failure_; }

 private:
  void Fail();

  std::FILE* stream_;
  bool interactive_;
  std::optional<std::string> failure_;
};

}  // namespace brenvo1::cli
