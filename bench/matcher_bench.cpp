// Throughput of the content matcher on in-memory text, without the file
// system: how fast the bytes path and the character path go per encoding.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "search/content_matcher.h"
#include "search/search_text.h"

namespace {

using brenvo1::search::ContentMatcher;
using brenvo1::search::SearchText;

class MemoryStream : public brenvo1::platform::TextStream {
 public:
  explicit MemoryStream(const std::string& content) : content_(content) {}
  bool AtEndOfStream() override { return position_ >= content_.size(); }
  std::size_t Read(std::span<char> destination) override {
    const std::size_t n = std::min(destination.size(), content_.size() - position_);
    std::memcpy(destination.data(), content_.data() + position_, n);
    position_ += n;
    return n;
  }
  void Close() override {}

 private:
  const std::string& content_;
  std::size_t position_ = 0;
};

// Italian-looking source text with no hit in it.
std::string Prose(std::size_t size) {
  static const char* const kWords[] = {"Dim ", "cliente ", "As ", "String\r\n", "If ", "Then ", "fattura ",
                                       "End ", "Sub ", "perch\xc3\xa9 ", "citt\xc3\xa0 ", "ordine ", "= ", "1\r\n"};
  std::mt19937 random(7);
  std::string text;
  while (text.size() < size) text += kWords[random() % (sizeof kWords / sizeof kWords[0])];
  text.resize(size);
  return text;
}

std::string Utf16(const std::string& ascii) {
  std::string out = "\xff\xfe";
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

void Search(benchmark::State& state, const std::string& content, const char* text) {
  const SearchText search_text(text);
  ContentMatcher matcher(search_text);
  for (auto _ : state) {
    MemoryStream stream(content);
    benchmark::DoNotOptimize(matcher.Contains(stream));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * content.size()));
}

const std::string& Text8() {
  static const std::string text = Prose(8 << 20);
  return text;
}

const std::string& Text16() {
  static const std::string text = Utf16(Prose(4 << 20));
  return text;
}

void AsciiText(benchmark::State& state) { Search(state, Text8(), "zafferano"); }
void AccentedText(benchmark::State& state) { Search(state, Text8(), "CITT\xc3\x80 vecchia"); }
void TextWithoutAnchor(benchmark::State& state) { Search(state, Text8(), "\xc3\xa8\xc3\xa0"); }
void AsciiTextInUtf16(benchmark::State& state) { Search(state, Text16(), "zafferano"); }

BENCHMARK(AsciiText);
BENCHMARK(AccentedText);
BENCHMARK(TextWithoutAnchor);
BENCHMARK(AsciiTextInUtf16);

}  // namespace

BENCHMARK_MAIN();
