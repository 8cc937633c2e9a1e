// The lexical path normaliser on arbitrary paths: the result is absolute,
// holds no empty, "." or ".." part, is its own normal form, and keeps the
// input's remaining parts in order.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix_file_system.h"

namespace {

using brenvo1::platform::NormalizedAbsolutePath;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "path_fuzzer: %s\n", what);
  std::abort();
}

std::vector<std::string_view> PartsOf(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const auto slash = path.find('/');
    parts.push_back(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
  }
  return parts;
}

// True when every part of inner occurs in outer, in the same order.
bool IsSubsequence(const std::vector<std::string_view>& inner, const std::vector<std::string_view>& outer) {
  std::size_t at = 0;
  for (const std::string_view part : outer) {
    if (at < inner.size() && inner[at] == part) ++at;
  }
  return at == inner.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string normalized = NormalizedAbsolutePath(input);

  if (normalized.empty() || normalized.front() != '/') Fail("result is not absolute");
  if (normalized != "/") {
    if (normalized.back() == '/') Fail("result ends in a slash");
    const std::vector<std::string_view> parts = PartsOf(std::string_view(normalized).substr(1));
    for (const std::string_view part : parts) {
      if (part.empty()) Fail("result holds an empty part");
      if (part == "." || part == "..") Fail("result holds a dot part");
    }
  }
  if (NormalizedAbsolutePath(normalized) != normalized) Fail("normalising twice changes the result");

  std::string absolute(input);
  if (input.empty() || input.front() != '/') {
    // A relative path is taken against the current folder.
    absolute = NormalizedAbsolutePath(".") + "/" + absolute;
    if (NormalizedAbsolutePath(absolute) != normalized) Fail("relative path not taken against the current folder");
  }
  if (!IsSubsequence(PartsOf(normalized), PartsOf(absolute))) Fail("result holds parts the input lacks");
  // A trailing "/.." climbs exactly one level from the normal form.
  const std::string parent = NormalizedAbsolutePath(normalized + "/..");
  const auto last_slash = normalized.rfind('/');
  const std::string expected_parent = last_slash == 0 ? "/" : normalized.substr(0, last_slash);
  if (parent != expected_parent) Fail("\"..\" does not climb one level");
  return 0;
}
