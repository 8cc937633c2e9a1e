#pragma once

// A search run's sink that keeps the hits, for tests of the engine alone.

#include <functional>
#include <string>
#include <vector>

#include "search/search_run.h"

namespace brenvo1::testing {

class RecordingSink : public search::SearchSink {
 public:
  void Hit(std::string_view path) override { hits.emplace_back(path); }
  bool GoOn() override { return ++looks <= stop_after_looks && !(stop_when && stop_when()); }

  std::vector<std::string> hits;
  std::size_t looks = 0;
  // The run is told to stop at the look after this many, or at the first
  // look at which stop_when holds.
  std::size_t stop_after_looks = static_cast<std::size_t>(-1);
  std::function<bool()> stop_when;
};

struct SearchResult {
  search::RunOutcome outcome;
  std::vector<std::string> hits;
};

inline SearchResult Search(platform::FileSystemService& fs, std::string_view folder, std::string_view text) {
  RecordingSink sink;
  SearchResult result;
  result.outcome = search::RunSearch(folder, text, fs, sink);
  result.hits = std::move(sink.hits);
  return result;
}

}  // namespace brenvo1::testing
