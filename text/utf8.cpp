#include "text/utf8.h"

#include "text/unicode.h"

namespace brenvo1::text {

int Utf8SequenceAt(const std::uint8_t* p, const std::uint8_t* end, char32_t& out, Surrogates surrogates) {
  const std::uint8_t lead = p[0];
  if (lead < 0x80) {
    out = lead;
    return 1;
  }
  int length = 0;
  // The range of the second byte; the others are any continuation byte.
  std::uint8_t second_low = 0x80, second_high = 0xBF;
  char32_t value = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) second_low = 0xA0;                                    // overlong
    if (lead == 0xED && surrogates == Surrogates::Refused) second_high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) second_low = 0x90;   // overlong
    if (lead == 0xF4) second_high = 0x8F;  // above U+10FFFF
  } else {
    return -1;
  }
  for (int i = 1; i < length; ++i) {
    if (p + i >= end) return 0;
    const std::uint8_t byte = p[i];
    if (byte < (i == 1 ? second_low : 0x80) || byte > (i == 1 ? second_high : 0xBF)) return -1;
    value = (value << 6) | (byte & 0x3F);
  }
  out = value;
  return length;
}

}  // namespace brenvo1::text
