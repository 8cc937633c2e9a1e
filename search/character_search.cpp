#include "search/character_search.h"

#include "search/case_folding.h"

namespace brenvo1::search {

CharacterSearch::CharacterSearch(const SearchText& text, text::TextEncoding encoding) : text_(text), decoder_(encoding) {}

bool CharacterSearch::Feed(std::span<const std::uint8_t> bytes) {
  return decoder_.Feed(bytes, [this](char32_t c) { return Step(c); });
}

bool CharacterSearch::Finish() {
  return decoder_.Finish([this](char32_t c) { return Step(c); });
}

bool CharacterSearch::Step(char32_t c) {
  const std::vector<char32_t>& folded = text_.folded();
  const std::vector<std::size_t>& failure = text_.failure();
  c = FoldCase(c);
  while (matched_ > 0 && folded[matched_] != c) matched_ = failure[matched_ - 1];
  if (folded[matched_] == c) ++matched_;
  return matched_ == folded.size();
}

}  // namespace brenvo1::search
