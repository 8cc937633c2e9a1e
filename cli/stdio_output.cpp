#include "cli/stdio_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brenvo1::cli {

StdioOutput::StdioOutput(std::FILE* stream) : stream_(stream), interactive_(::isatty(::fileno(stream)) != 0) {}

void StdioOutput::Write(std::string_view bytes) {
  if (failure_ || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) Fail();
}

void StdioOutput::Flush() {
  if (!failure_ && std::fflush(stream_) != 0) Fail();
}

void StdioOutput::Fail() { failure_ = std::strerror(errno); }

}  // namespace brenvo1::cli
