#pragma once

// Windows names are sequences of 16-bit units that need not be valid
// UTF-16: an unpaired surrogate is a legal part of a file name. Inside the
// engine such names are WTF-8: UTF-8 that may also carry a lone surrogate as
// its three-byte form. Valid UTF-16 gives plain UTF-8, and every name comes
// back to the exact units it was read from.

#include <optional>
#include <string>
#include <string_view>

namespace brenvo1::text {

// Never fails: every sequence of 16-bit units has a WTF-8 form.
std::string Wtf8FromUtf16(std::u16string_view units);

// Two policies for bytes that are not WTF-8: ill-formed UTF-8 other than a
// lone surrogate, or a surrogate pair written as two three-byte forms (it
// has a four-byte form, and a second spelling would not come back the
// same).
//
// Exact, for names: nullopt, as such bytes name no file.
std::optional<std::u16string> Utf16FromWtf8(std::string_view bytes);
// Replacing, for text shown to the user: each such byte shows as U+FFFD
// and the rest of the text as it is.
std::u16string Utf16FromWtf8Replacing(std::string_view bytes);

}  // namespace brenvo1::text
