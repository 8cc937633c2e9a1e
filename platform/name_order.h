#pragma once

#include <algorithm>
#include <string>

namespace brenvo1::platform {

// Names compared byte by byte with ASCII letters lowered; equal keys fall
// back to the raw bytes, so the order is total and the same on every run
// and on every system.
inline bool NameOrder(const std::string& a, const std::string& b) {
  auto lower = [](unsigned char c) -> unsigned char { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = lower(static_cast<unsigned char>(a[i]));
    const unsigned char y = lower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace brenvo1::platform
