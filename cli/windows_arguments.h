#pragma once

// brenvo1-scan's arguments on Windows, where a program splits its own
// command line. The C runtime takes \" as a quote within the argument, so a
// quoted folder that ends in a backslash, "C:\Prove\" as anyone types it at
// a prompt, arrives as C:\Prove" with the rest of the line glued to it. No
// Windows name can hold a ", so a folder argument holding one can only come
// from such a line; the line is then read again with the folder taken as
// typed: its backslashes as they stand, each " opening or closing a quoted
// part.

#include <string>
#include <string_view>
#include <vector>

namespace brenvo1::cli {

// The arguments after the program's name: those the C runtime gave
// (runtime_arguments), unless the first holds a "; then command_line's
// own, split by SplitCommandLineTakingFolderAsTyped.
std::vector<std::wstring> ScanArguments(std::wstring_view command_line,
                                        const std::vector<std::wstring>& runtime_arguments);

// command_line split as the C runtime splits it, the program's name left
// out, except that in the first argument after the name (the folder) a run
// of backslashes before a " is kept whole, halved upwards, and the " always
// opens or closes a quoted part: "C:\Prove\" and "C:\Prove\\" are C:\Prove\.
std::vector<std::wstring> SplitCommandLineTakingFolderAsTyped(std::wstring_view command_line);

}  // namespace brenvo1::cli
