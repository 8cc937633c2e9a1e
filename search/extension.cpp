#include "search/extension.h"

#include <algorithm>

namespace brenvo1::search {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::size_t LongestExtension() {
  std::size_t longest = 0;
  for (const std::string_view extension : kCandidateExtensions) longest = std::max(longest, extension.size());
  return longest;
}

}  // namespace

bool IsCandidateFile(std::string_view name) {
  const auto dot = name.rfind('.');
  // An extension longer than every candidate is none of them, and needs no
  // lowered copy.
  if (dot == std::string_view::npos || name.size() - dot > LongestExtension()) return false;
  char lowered[LongestExtension()];
  const std::size_t size = name.size() - dot;
  for (std::size_t i = 0; i < size; ++i) lowered[i] = LowerAscii(name[dot + i]);
  const std::string_view extension(lowered, size);
  return std::find(kCandidateExtensions.begin(), kCandidateExtensions.end(), extension) != kCandidateExtensions.end();
}

}  // namespace brenvo1::search
