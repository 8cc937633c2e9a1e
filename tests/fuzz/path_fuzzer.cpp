// The lexical path normaliser on arbitrary paths: the result is absolute,
// holds no empty, "." or ".." component, is its own normal form, and keeps the
// input's remaining components in order.

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

std::vector<std::string_view> ComponentsOf(std::string_view path) {
  std::vector<std::string_view> components;
  while (!path.empty()) {
    const auto slash = path.find('/');
    components.push_back(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
  }
  return components;
}

// True when every component of inner occurs in outer, in the same order.
bool IsSubsequence(const std::vector<std::string_view>& inner, const std::vector<std::string_view>& outer) {
  std::size_t at = 0;
  for (const std::string_view component : outer) {
    if (at < inner.size() && inner[at] == component) ++at;
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
    const std::vector<std::string_view> components = ComponentsOf(std::string_view(normalized).substr(1));
    for (const std::string_view component : components) {
      if (component.empty()) Fail("result holds an empty component");
      if (component == "." || component == "..") Fail("result holds a dot component");
    }
  }
  if (NormalizedAbsolutePath(normalized) != normalized) Fail("normalising twice changes the result");

  std::string absolute(input);
  if (input.empty() || input.front() != '/') {
    // A relative path is taken against the current folder.
    absolute = NormalizedAbsolutePath(".") + "/" + absolute;
    if (NormalizedAbsolutePath(absolute) != normalized) Fail("relative path not taken against the current folder");
  }
  if (!IsSubsequence(ComponentsOf(normalized), ComponentsOf(absolute))) Fail("result holds components the input lacks");
  // A trailing "/.." climbs exactly one level from the normal form.
  const std::string parent = NormalizedAbsolutePath(normalized + "/..");
  const auto last_slash = normalized.rfind('/');
  const std::string expected_parent = last_slash == 0 ? "/" : normalized.substr(0, last_slash);
  if (parent != expected_parent) Fail("\"..\" does not climb one level");
  return 0;
}
