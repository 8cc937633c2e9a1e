// Decoding and matching on untrusted bytes. The input is split into the
// search text, the file's content and the sizes the matcher works in. The
// matcher, reading the content through a stream that hands out bytes in
// random amounts, must reach the verdict of the slow way: decode the whole
// file at once, fold it, look for the folded text. Along the way the
// decoder is checked against a plain transcription of the decoding rules,
// against itself fed in pieces, and backwards against forwards.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "search/case_folding.h"
#include "search/content_matcher.h"
#include "search/search_text.h"
#include "text/text_decoder.h"

namespace {

using namespace brenvo1::search;
namespace text = brenvo1::text;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "decode_match_fuzzer: %s\n", what);
  std::abort();
}

// Hands out the content in pieces whose sizes come from a small generator,
// so that every way of splitting a file between reads gets tried.
class PiecewiseStream : public brenvo1::platform::TextStream {
 public:
  PiecewiseStream(const std::string& content, std::uint64_t seed, std::size_t largest_piece)
      : content_(content), state_(seed), largest_piece_(largest_piece) {}
  std::size_t Read(std::span<char> destination) override {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    const std::size_t piece = 1 + (state_ >> 33) % largest_piece_;
    const std::size_t n = std::min({destination.size(), piece, content_.size() - position_});
    std::memcpy(destination.data(), content_.data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  const std::string& content_;
  std::uint64_t state_;
  std::size_t largest_piece_;
  std::size_t position_ = 0;
};

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// The decoding rules written out directly, one byte at a time, sharing
// nothing with the engine's decoder but the Windows-1252 table.
std::u32string PlainDecode(const std::string& content) {
  const std::uint8_t* b = Bytes(content);
  const std::size_t n = content.size();
  std::u32string out;
  if (n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
    const bool little = b[0] == 0xFF;
    std::vector<char16_t> units;
    for (std::size_t i = 2; i + 1 < n; i += 2) {
      units.push_back(little ? static_cast<char16_t>(b[i] | (b[i + 1] << 8))
                             : static_cast<char16_t>((b[i] << 8) | b[i + 1]));
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
      const char16_t u = units[i];
      if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
        out.push_back(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
        ++i;
      } else if (u >= 0xD800 && u <= 0xDFFF) {
        out.push_back(0xFFFD);
      } else {
        out.push_back(u);
      }
    }
    if (n % 2 == 1) out.push_back(0xFFFD);  // the odd last byte
    return out;
  }
  std::size_t i = (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) ? 3 : 0;
  while (i < n) {
    const std::uint8_t lead = b[i];
    int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    bool well_formed = length > 0 && i + length <= n;
    for (int k = 1; well_formed && k < length; ++k) {
      const std::uint8_t c = b[i + k];
      std::uint8_t low = 0x80, high = 0xBF;
      if (k == 1 && lead == 0xE0) low = 0xA0;
      if (k == 1 && lead == 0xED) high = 0x9F;
      if (k == 1 && lead == 0xF0) low = 0x90;
      if (k == 1 && lead == 0xF4) high = 0x8F;
      well_formed = c >= low && c <= high;
    }
    if (!well_formed) {
      out.push_back(text::Windows1252ToUnicode(lead));
      ++i;
      continue;
    }
    char32_t value = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (int k = 1; k < length; ++k) value = (value << 6) | (b[i + k] & 0x3F);
    out.push_back(value);
    i += length;
  }
  return out;
}

// The engine's decoder fed the whole content at once, or in pieces of the
// given sizes; byte offsets where each character starts go to starts.
std::u32string EngineDecode(const std::string& content, std::size_t piece, std::vector<std::size_t>* starts) {
  const text::EncodingGuess guess = text::DetectEncoding({Bytes(content), content.size()});
  std::u32string out;
  text::StreamDecoder decoder(guess.encoding);
  auto sink = [&out](char32_t c) {
    out.push_back(c);
    return false;
  };
  for (std::size_t at = guess.byte_order_mark_size; at < content.size(); at += piece) {
    decoder.Feed({Bytes(content) + at, std::min(piece, content.size() - at)}, sink);
  }
  decoder.Finish(sink);
  if (starts != nullptr && guess.encoding == text::TextEncoding::Utf8OrWindows1252) {
    const std::uint8_t* b = Bytes(content);
    for (std::size_t at = guess.byte_order_mark_size; at < content.size();) {
      starts->push_back(at);
      char32_t c;
      at += text::DecodeMixedAt(b + at, b + content.size(), true, c);
    }
  }
  return out;
}

// Backwards from every character boundary, from any earlier window start:
// either the decoder asks for earlier bytes or it finds the very character
// that forward decoding found there.
void CheckBackwardDecoding(const std::string& content, const std::u32string& forward,
                           const std::vector<std::size_t>& starts, std::size_t bom, std::size_t window_shift) {
  const std::uint8_t* b = Bytes(content);
  for (std::size_t k = starts.size(); k-- > 0;) {
    const std::size_t q = k + 1 < starts.size() ? starts[k + 1] : content.size();
    char32_t c;
    const std::uint8_t* start = nullptr;
    if (text::DecodeMixedBefore(b + bom, b + q, true, c, start) != text::BackwardStep::Decoded) {
      Fail("backward decoding from the start of the text asked for earlier bytes");
    }
    if (c != forward[k] || start != b + starts[k]) Fail("backward decoding differs from forward decoding");
    const std::size_t begin = std::max(bom, q - 1 - std::min(q - 1 - bom, window_shift));
    start = nullptr;
    if (text::DecodeMixedBefore(b + begin, b + q, begin == bom, c, start) == text::BackwardStep::Decoded &&
        (c != forward[k] || start != b + starts[k] || start < b + begin)) {
      Fail("backward decoding within a window differs from forward decoding");
    }
  }
}

// Puts the folded search text into a UTF-16 file, so that the UTF-16 path
// sees hits and not only noise.
std::string Utf16Encoded(const std::vector<char32_t>& text, bool little) {
  std::string out;
  auto unit = [&out, little](char16_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out.push_back(little ? low : high);
    out.push_back(little ? high : low);
  };
  for (char32_t c : text) {
    if (c >= 0x10000) {
      unit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      unit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      unit(static_cast<char16_t>(c));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t chunk = input.ConsumeIntegralInRange<std::size_t>(1, 200);
  const std::size_t largest_piece = input.ConsumeIntegralInRange<std::size_t>(1, 300);
  const std::uint64_t read_seed = input.ConsumeIntegral<std::uint64_t>();
  const int plant = input.ConsumeIntegralInRange<int>(0, 3);
  const std::size_t window_shift = input.ConsumeIntegralInRange<std::size_t>(0, 8);
  const std::string text = input.ConsumeRandomLengthString(40);
  std::string content = input.ConsumeRemainingBytesAsString();

  const SearchText search_text(text);
  // Plant the text in the content: as typed, with its ASCII letters in upper
  // case, or folded and encoded in UTF-16 after a byte-order mark.
  if (plant != 0 && !content.empty()) {
    const std::size_t at = read_seed % (content.size() + 1);
    if (plant == 1) {
      content.insert(at, text);
    } else if (plant == 2) {
      std::string upper = text;
      for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
      content.insert(at, upper);
    } else {
      const bool little = (read_seed >> 8) & 1;
      std::string utf16 = little ? "\xFF\xFE" : "\xFE\xFF";
      utf16 += content.substr(0, at & ~std::size_t{1});
      utf16 += Utf16Encoded(search_text.folded(), little);
      utf16 += content.substr(at & ~std::size_t{1});
      content = utf16;
    }
  }

  std::vector<std::size_t> starts;
  const std::u32string decoded = EngineDecode(content, content.size() + 1, &starts);
  if (decoded != PlainDecode(content)) Fail("decoder differs from the plain decoding rules");
  if (EngineDecode(content, 1 + read_seed % 7, nullptr) != decoded) Fail("decoding depends on the piece sizes");
  const text::EncodingGuess guess = text::DetectEncoding({Bytes(content), content.size()});
  if (guess.encoding == text::TextEncoding::Utf8OrWindows1252) {
    if (starts.size() != decoded.size()) Fail("character starts do not match the characters");
    CheckBackwardDecoding(content, decoded, starts, guess.byte_order_mark_size, window_shift);
  }

  std::u32string folded_content = decoded;
  for (char32_t& c : folded_content) c = FoldCase(c);
  const std::u32string needle(search_text.folded().begin(), search_text.folded().end());
  // An empty text is held by any file that is not empty, even one that is a
  // bare byte-order mark.
  const bool expected = needle.empty() ? !content.empty() : folded_content.find(needle) != std::u32string::npos;

  ContentMatcher matcher(search_text, chunk);
  PiecewiseStream stream(content, read_seed, largest_piece);
  if (matcher.Contains(stream) != expected) Fail(expected ? "matcher missed a hit" : "matcher found a false hit");
  // The same matcher serves the next file of the run.
  PiecewiseStream again(content, read_seed ^ 0x5555, largest_piece);
  if (matcher.Contains(again) != expected) Fail("matcher changed its verdict on reuse");
  return 0;
}
