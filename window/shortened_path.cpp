#include "window/shortened_path.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/file_system.h"
#include "text/unicode.h"

namespace brenvo1::window {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

bool StartsCharacter(std::string_view text, std::size_t at) {
  return at >= text.size() || !text::IsContinuationByte(static_cast<std::uint8_t>(text[at]));
}

// The longest start of text of at most most bytes, and the longest end,
// cut between characters.
std::string_view Head(std::string_view text, std::size_t most) {
  std::size_t end = std::min(most, text.size());
  while (end > 0 && !StartsCharacter(text, end)) --end;
  return text.substr(0, end);
}
std::string_view Tail(std::string_view text, std::size_t most) {
  std::size_t start = text.size() - std::min(most, text.size());
  while (start < text.size() && !StartsCharacter(text, start)) ++start;
  return text.substr(start);
}

// The places between text's characters, its two ends included.
std::vector<std::size_t> Cuts(std::string_view text) {
  std::vector<std::size_t> cuts;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (StartsCharacter(text, at)) cuts.push_back(at);
  }
  return cuts;
}

// How many bytes of text's start fit in width. A longer piece is never
// narrower, so the place is searched by halves: a row measures a dozen
// pieces, not one per character.
std::size_t FittingStart(std::string_view text, int width, const TextWidth& text_width) {
  text = Head(text, kMeasuredBytes);
  const std::vector<std::size_t> cuts = Cuts(text);
  std::size_t fits = 0;
  std::size_t too_wide = cuts.size();
  while (too_wide - fits > 1) {
    const std::size_t middle = fits + (too_wide - fits) / 2;
    (text_width(text.substr(0, cuts[middle])) <= width ? fits : too_wide) = middle;
  }
  return cuts[fits];
}

// How many bytes of text's end fit in width.
std::size_t FittingEnd(std::string_view text, int width, const TextWidth& text_width) {
  text = Tail(text, kMeasuredBytes);
  const std::vector<std::size_t> cuts = Cuts(text);
  // Indexes into cuts, one more than the cut: 0 stands for "none".
  std::size_t too_wide = 0;
  std::size_t fits = cuts.size();
  while (fits - too_wide > 1) {
    const std::size_t middle = too_wide + (fits - too_wide) / 2;
    (text_width(text.substr(cuts[middle - 1])) <= width ? fits : too_wide) = middle;
  }
  return text.size() - cuts[fits - 1];
}

}  // namespace

std::string ShortenedPath(std::string_view path, int width, const TextWidth& text_width) {
  if (path.size() <= 2 * kMeasuredBytes && text_width(path) <= width) return std::string(path);
  const int room = width - text_width(kEllipsis);
  if (room <= 0) return std::string(kEllipsis);
  const std::size_t last_part = path.rfind(platform::kPathSeparator);
  const std::string_view name = last_part == std::string_view::npos ? path : path.substr(last_part);
  const int name_width = name.size() <= kMeasuredBytes ? text_width(name) : room + 1;
  std::size_t head = 0;
  std::size_t tail = 0;
  if (last_part != std::string_view::npos && name_width <= room) {
    head = FittingStart(path.substr(0, last_part), room - name_width, text_width);
    tail = name.size();
  } else {
    head = FittingStart(path, room / 2, text_width);
    tail = std::min(FittingEnd(path, room - text_width(path.substr(0, head)), text_width), path.size() - head);
  }
  std::string shown(path.substr(0, head));
  shown.append(kEllipsis).append(path.substr(path.size() - tail));
  return shown;
}

std::string BoundedPath(std::string_view path) {
  if (path.size() <= 2 * kMeasuredBytes) return std::string(path);
  std::string bounded(Head(path, kMeasuredBytes));
  bounded.append(kEllipsis).append(Tail(path, kMeasuredBytes));
  return bounded;
}

}  // namespace brenvo1::window
