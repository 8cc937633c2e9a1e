#pragma once

// Runs a program to its end, or until a time limit, and collects what it
// wrote, so that a hang shows as a failed test rather than a stuck suite.

#include <chrono>
#include <string>
#include <vector>

namespace brenvo1::testing {

struct ProgramResult {
  bool timed_out = false;
  int exit_status = -1;  // -1 when killed by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

ProgramResult RunProgram(const std::vector<std::string>& argv, std::chrono::seconds limit);

}  // namespace brenvo1::testing
