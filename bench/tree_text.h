#pragma once

// Filler text for generated trees: pools of VB6-like source and Italian
// prose, cut at line ends so that a slice never splits a character, plus
// the conversions that turn the UTF-8 pool into the legacy encodings.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "bench/random_stream.h"

namespace brenvo1::bench {

class TextPool {
 public:
  // lineEnd is the encoded line feed ("\n", or "\n\0" for UTF-16 LE); slices
  // start and stop just after one.
  TextPool(std::string bytes, std::string_view lineEnd);

  // Appends whole lines, from a random line on, until at least size bytes
  // were added (at most one line more).
  void AppendLines(RandomStream& random, std::size_t size, std::string& out) const;

  // Appends exactly size bytes from a random offset, ignoring line ends.
  void AppendBytes(RandomStream& random, std::size_t size, std::string& out) const;

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::vector<std::size_t> line_starts_;
};

// ASCII only: VB6 statements and comments without accents, CRLF lines.
std::string MakeCodeText(RandomStream& random, std::size_t size);

// UTF-8: VB6 statements mixed with Italian comments, strings and prose that
// use accented letters, curly quotes and the euro sign; CRLF lines.
std::string MakeItalianText(RandomStream& random, std::size_t size);

std::string MakeRandomBytes(RandomStream& random, std::size_t size);

// Only for the characters the generator writes: Latin-1 letters and the few
// Windows-1252 punctuation marks above 0x7F.
std::string Utf8ToCp1252(std::string_view utf8);

// Basic Multilingual Plane only, which is all the generator writes.
std::string Utf8ToUtf16Le(std::string_view utf8);

}  // namespace brenvo1::bench
