#pragma once

#include <string>
#include <string_view>

namespace brenvo1::search {

// The part of a file name from its last "." to its end, ASCII letters
// lowered; empty when the name holds no ".".
std::string ExtensionOf(std::string_view name);

// True when the name's extension is one of the ten the search examines:
// .cls .bas .frm .txt .vbp .hds .bds .lds .dss .dse, in any mix of case.
bool IsCandidateFile(std::string_view name);

}  // namespace brenvo1::search
