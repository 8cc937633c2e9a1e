#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brenvo1::search {

// The search text, prepared once per run: case-folded characters, a
// failure table for searching them in a stream of characters, and the
// "anchor", the longest run of characters that only plain ASCII bytes can
// spell in a file, which lets most files be searched on their bytes.
class SearchText {
 public:
  // text is UTF-8; bytes that are not read as Windows-1252, as in files,
  // except the three-byte form of an unpaired surrogate, read as U+FFFD.
  explicit SearchText(std::string_view text);

  bool empty() const { return folded_.empty(); }
  std::size_t size() const { return folded_.size(); }
  const std::vector<char32_t>& folded() const { return folded_; }
  // failure()[i]: length of the longest proper border of folded()[0..i].
  const std::vector<std::size_t>& failure() const { return failure_; }

  bool has_anchor() const { return !anchor_.empty(); }
  // Index in folded() of the anchor's first character.
  std::size_t anchor_begin() const { return anchor_begin_; }
  // The anchor's bytes, letters in lower case.
  const std::string& anchor() const { return anchor_; }

 private:
  std::vector<char32_t> folded_;
  std::vector<std::size_t> failure_;
  std::size_t anchor_begin_ = 0;
  std::string anchor_;
};

// True when no character but c itself and its ASCII case partner folds to c:
// then a file can spell c only with those bytes. False for 'k' and 's',
// which the Kelvin sign and the long s fold to.
bool OnlyAsciiFoldsTo(char32_t c);

}  // namespace brenvo1::search
