// The extension rule on arbitrary file names (names are bytes: any byte but
// "/" and NUL can occur, and the fuzzer tries those too).

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "search/extension.h"

namespace {

using brenvo1::search::ExtensionOf;
using brenvo1::search::IsCandidateFile;

[[noreturn]] void Fail(const char* what, std::string_view name) {
  std::fprintf(stderr, "extension_fuzzer: %s (name of %zu bytes)\n", what, name.size());
  std::abort();
}

constexpr std::array<std::string_view, 10> kExaminedExtensions = {
    ".cls", ".bas", ".frm", ".txt", ".vbp", ".hds", ".bds", ".lds", ".dss", ".dse",
};

char FlipAsciiCase(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::string extension = ExtensionOf(name);
  const auto dot = name.rfind('.');

  if (dot == std::string_view::npos) {
    if (!extension.empty()) Fail("extension of a name without a dot", name);
  } else {
    // From the last dot to the end, same length, ASCII letters lowered and
    // every other byte kept.
    if (extension.size() != name.size() - dot) Fail("extension has the wrong length", name);
    for (std::size_t i = 0; i < extension.size(); ++i) {
      const char original = name[dot + i];
      const char expected = (original >= 'A' && original <= 'Z') ? FlipAsciiCase(original) : original;
      if (extension[i] != expected) Fail("extension is not the lowered tail", name);
    }
    if (extension.find('.', 1) != std::string::npos) Fail("extension holds a second dot", name);
  }

  const bool candidate = IsCandidateFile(name);
  const bool listed =
      std::find(kExaminedExtensions.begin(), kExaminedExtensions.end(), extension) != kExaminedExtensions.end();
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
