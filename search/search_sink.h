#pragma once

#include <string_view>

namespace brenvo1::search {

// Where a search run reports, as it goes. The run owns no window and no
// terminal: whoever started it decides what a hit becomes and when the run
// should stop.
class SearchSink {
 public:
  virtual ~SearchSink() = default;
  // A file whose text holds the search text, by its full path (raw
  // file-name bytes).
  virtual void Hit(std::string_view path) = 0;
  // Asked after every examined file and between the chunks of a large one:
  // false ends the run there, with nothing more read or reported.
  virtual bool GoOn() = 0;
};

}  // namespace brenvo1::search
