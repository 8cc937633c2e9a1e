#include "cli/windows_arguments.h"

namespace brenvo1::cli {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The program's name ends at the first blank outside quotes; backslashes
// are never escapes in it.
std::size_t SkipProgramName(std::wstring_view line) {
  bool quoted = false;
  std::size_t i = 0;
  for (; i < line.size(); ++i) {
    if (line[i] == L'"') {
      quoted = !quoted;
    } else if (!quoted && IsBlank(line[i])) {
      break;
    }
  }
  return i;
}

}  // namespace

std::vector<std::wstring> SplitCommandLineTakingFolderAsTyped(std::wstring_view line) {
  std::vector<std::wstring> arguments;
  std::size_t i = SkipProgramName(line);
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) break;
    const bool folder = arguments.empty();
    std::wstring argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      const wchar_t c = line[i];
      if (c == L'\\') {
        std::size_t run = 0;
        while (i < line.size() && line[i] == L'\\') {
          ++run;
          ++i;
        }
        if (i == line.size() || line[i] != L'"') {
          argument.append(run, L'\\');
        } else if (folder) {
          // The last backslash of an odd run closed the path; the " is
          // taken below as a quote.
          argument.append((run + 1) / 2, L'\\');
        } else {
          argument.append(run / 2, L'\\');
          if (run % 2 == 1) {
            argument.push_back(L'"');
            ++i;
          }
        }
      } else if (c == L'"') {
        // Within quotes the C runtime reads "" as one ".
        if (!folder && quoted && i + 1 < line.size() && line[i + 1] == L'"') {
          argument.push_back(L'"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument.push_back(c);
        ++i;
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::vector<std::wstring> ScanArguments(std::wstring_view command_line,
                                        const std::vector<std::wstring>& runtime_arguments) {
  if (!runtime_arguments.empty() && runtime_arguments.front().find(L'"') != std::wstring::npos) {
    return SplitCommandLineTakingFolderAsTyped(command_line);
  }
  return runtime_arguments;
}

}  // namespace brenvo1::cli
