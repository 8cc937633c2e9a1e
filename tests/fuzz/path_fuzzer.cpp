// The listed path of a folder on arbitrary paths: the result is absolute,
// holds no empty or "." component, holds ".." only after a part that leads to
// no folder, and is its own listed path; without "..", which may follow a
// link on this machine, it keeps exactly the input's other components, in
// order.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/folder_path_walk.h"
#include "platform/posix/posix_file_system.h"

namespace {

using brenvo1::platform::posix::ListedFolderPath;
using brenvo1::platform::posix::PosixFileSystem;

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

std::vector<std::string_view> NamedComponents(std::string_view path) {
  std::vector<std::string_view> named;
  for (const std::string_view component : ComponentsOf(path)) {
    if (!component.empty() && component != ".") named.push_back(component);
  }
  return named;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string normalized = ListedFolderPath(input);

  if (normalized.empty() || normalized.front() != '/') Fail("result is not absolute");
  if (normalized != "/") {
    if (normalized.back() == '/') Fail("result ends in a slash");
    const std::vector<std::string_view> components = ComponentsOf(std::string_view(normalized).substr(1));
    std::string prefix;
    for (const std::string_view component : components) {
      if (component.empty()) Fail("result holds an empty component");
      if (component == ".") Fail("result holds a dot component");
      if (component == "..") {
        PosixFileSystem service;
        if (service.FolderExists(prefix)) Fail("result climbs from a folder by the text of its path");
        break;
      }
      prefix.append("/").append(component);
    }
  }
  if (ListedFolderPath(normalized) != normalized) Fail("normalising twice changes the result");

  std::string absolute(input);
  if (input.empty() || input.front() != '/') {
    // A relative path is taken against the current folder.
    absolute = ListedFolderPath(".") + "/" + absolute;
    if (ListedFolderPath(absolute) != normalized) Fail("relative path not taken against the current folder");
  }
  const std::vector<std::string_view> named = NamedComponents(absolute);
  bool climbs = false;
  for (const std::string_view component : named) climbs = climbs || component == "..";
  if (!climbs && NamedComponents(normalized) != named) Fail("result does not keep the input's components");
  return 0;
}
