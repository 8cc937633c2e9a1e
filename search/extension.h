#pragma once

#include <string>
#include <string_view>

namespace brenvo1::search {

// True when the name's extension (from its last "." to its end) is one of the ten the search examines:
// .cls .bas .frm .txt .vbp .hds .bds .lds .dss .dse, in any mix of case.
bool IsCandidateFile(std::string_view name);

}  // namespace brenvo1::search
