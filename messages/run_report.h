#pragma once

// What the end of a search run says to the user: the same words in the
// window's box and on brenvo1-scan's standard error.

#include <optional>
#include <string>
#include <vector>

#include "search/search_run.h"

namespace brenvo1::messages {

struct RunReport {
  std::string text;
  // Lines the user can unfold: each unreadable entry's reason and path
  // ("accesso negato: /dati/x.txt"), and how many more there were when not
  // all were kept.
  std::vector<std::string> details;
};

// nullopt when the run has nothing to say: it completed, or it was
// abandoned and nobody is left to read it.
std::optional<RunReport> EndOfRunReport(const search::RunOutcome& outcome);

}  // namespace brenvo1::messages
