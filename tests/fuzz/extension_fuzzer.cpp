// The extension rule on arbitrary file names (names are bytes: any byte but
// "/" and NUL can occur, and the fuzzer tries those too).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "search/extension.h"

namespace {

using brenvo1::search::IsCandidateFile;
using brenvo1::search::kCandidateExtensions;

[[noreturn]] void Fail(const char* what, std::string_view name) {
  std::fprintf(stderr, "extension_fuzzer: %s (name of %zu bytes)\n", what, name.size());
  std::abort();
}

char FlipAsciiCase(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

// The part of the name from its last "." to its end, ASCII letters lowered;
// empty when the name holds no ".".
std::string ExtensionOf(std::string_view name) {
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(name.substr(dot));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = FlipAsciiCase(c);
  }
  return extension;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::string extension = ExtensionOf(name);
  const auto dot = name.rfind('.');

  const bool candidate = IsCandidateFile(name);
  const bool listed =
      std::find(kCandidateExtensions.begin(), kCandidateExtensions.end(), extension) != kCandidateExtensions.end();
  if (candidate != listed) Fail("IsCandidateFile disagrees with ExtensionOf", name);

  // Case never matters, and only the tail after the last dot does.
  std::string flipped(name);
  std::transform(flipped.begin(), flipped.end(), flipped.begin(), FlipAsciiCase);
  if (IsCandidateFile(flipped) != candidate) Fail("the verdict depends on letter case", name);
  if (dot != std::string_view::npos && IsCandidateFile(std::string("x") + std::string(name.substr(dot))) != candidate) {
    Fail("the verdict depends on what comes before the last dot", name);
  }
  if (IsCandidateFile(std::string(name) + ".")) Fail("a name ending in a dot is a candidate", name);
  return 0;
}
