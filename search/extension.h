#pragma once

#include <array>
#include <string_view>

namespace brenvo1::search {

// The extensions of the files a search examines, lower case, each with its
// leading dot: the one list in the program. The build reads it from here
// for the manual pages, the AppStream metadata and the benchmarks.
inline constexpr std::array<std::string_view, 10> kCandidateExtensions = {
    ".cls", ".bas", ".frm", ".txt", ".vbp", ".hds", ".bds", ".lds", ".dss", ".dse",
};

// True when the name's extension (from its last "." to its end), lowered,
// is one of kCandidateExtensions: "Notes.TXT" and "a.b.Bas" are, "readme"
// and "x.text" are not.
bool IsCandidateFile(std::string_view name);

}  // namespace brenvo1::search
