#pragma once

// How a path too wide for its place is shown, the same in both windows: in
// a row of the result list and in a line of a box's details, the start of
// its folder and its whole file name stay in sight, with an ellipsis
// between them. Measured through the caller, so that it needs no toolkit.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace brenvo1::window {

// The width of a piece of text as the caller would draw it: UTF-8 (WTF-8
// on Windows), only ever cut between characters.
using TextWidth = std::function<int(std::string_view text)>;

// No more than this many bytes of a path's start, and of its end, are
// measured or shown: no screen is wide enough for more, and a path may be
// far longer.
inline constexpr std::size_t kMeasuredBytes = 2048;

// What shows of path in width: the whole path when it fits; else as much
// of its start as there is room for, an ellipsis and its last part (the
// file name, from its separator); a file name too wide itself keeps the
// start and the end of the path. A character is never cut; with no room
// even for the ellipsis, the ellipsis alone.
std::string ShortenedPath(std::string_view path, int width, const TextWidth& text_width);

// A path that can be shown or measured whole: a longer one is its first
// and its last kMeasuredBytes, an ellipsis between them.
std::string BoundedPath(std::string_view path);

}  // namespace brenvo1::window
