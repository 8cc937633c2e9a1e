#include "search/extension.h"

#include <algorithm>
#include <array>

namespace brenvo1::search {

namespace {

constexpr std::array<std::string_view, 10> kCandidateExtensions = {
    ".cls", ".bas", ".frm", ".txt", ".vbp", ".hds", ".bds", ".lds", ".dss", ".dse",
};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsCandidateFile(std::string_view name) {
  const auto dot = name.rfind('.');
  // Every candidate extension is four bytes long; anything else is out
  // without building a lowered copy.
  if (dot == std::string_view::npos || name.size() - dot != 4) return false;
  char lowered[4];
  for (std::size_t i = 0; i < 4; ++i) lowered[i] = LowerAscii(name[dot + i]);
  const std::string_view extension(lowered, 4);
  return std::find(kCandidateExtensions.begin(), kCandidateExtensions.end(), extension) !=
         kCandidateExtensions.end();
}

}  // namespace brenvo1::search
