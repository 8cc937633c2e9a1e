#include "search/search_text.h"

#include <array>
#include <cstdint>

#include "search/case_folding.h"
#include "text/text_decoder.h"
#include "text/utf8.h"

namespace brenvo1::search {

namespace {

// ASCII characters that some non-ASCII character folds to. Simple case
// folding maps supplementary characters only within their own blocks, so
// the Basic Multilingual Plane holds every such character.
std::array<bool, 128> AsciiFoldTargetsOfNonAscii() {
  std::array<bool, 128> targets{};
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    const char32_t folded = FoldCase(c);
    if (folded < 0x80) targets[folded] = true;
  }
  return targets;
}

// Decoded as a file's contents would be, with one exception. An unpaired
// surrogate is no character, and the decoders read one in a UTF-16 file as
// U+FFFD. Taken as bytes, its form would be three Windows-1252 characters
// (ED A0 BD: "í", NBSP, "½") and would find text the user never gave. It is
// read as U+FFFD instead, on both systems alike: it finds the file a lone
// surrogate was copied from (and U+FFFD, which the decoders make of one),
// never other characters.
std::vector<char32_t> DecodeAll(std::string_view text) {
  std::vector<char32_t> characters;
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    // A surrogate's three-byte form is how a text typed or passed on
    // Windows holds one (see text/wtf8.h).
    char32_t c;
    if (text::Utf8SequenceAt(p, end, c, text::Surrogates::Accepted) == 3 && text::IsSurrogate(c)) {
      p += 3;
      c = text::kReplacementCharacter;
    } else {
      p += text::DecodeMixedAt(p, end, true, c);
    }
    characters.push_back(c);
  }
  return characters;
}

}  // namespace

bool OnlyAsciiFoldsTo(char32_t c) {
  static const std::array<bool, 128> targets = AsciiFoldTargetsOfNonAscii();
  return c < 0x80 && !targets[c];
}

SearchText::SearchText(std::string_view text) {
  folded_ = DecodeAll(text);
  for (char32_t& c : folded_) c = FoldCase(c);

  failure_.assign(folded_.size(), 0);
  for (std::size_t i = 1, border = 0; i < folded_.size(); ++i) {
    while (border > 0 && folded_[i] != folded_[border]) border = failure_[border - 1];
    if (folded_[i] == folded_[border]) ++border;
    failure_[i] = border;
  }

  std::size_t run_begin = 0;
  for (std::size_t i = 0; i <= folded_.size(); ++i) {
    if (i < folded_.size() && OnlyAsciiFoldsTo(folded_[i])) continue;
    if (i - run_begin > anchor_.size()) {
      anchor_begin_ = run_begin;
      anchor_.assign(folded_.begin() + run_begin, folded_.begin() + i);
    }
    run_begin = i + 1;
  }
}

}  // namespace brenvo1::search
