#pragma once

// Opens a listed file in the desktop's plain-text editor. The path goes to
// the editor as one argv entry with its exact bytes, never through a shell,
// so a name with spaces, quotes, "$(...)" or bytes that are not UTF-8
// reaches the editor unchanged and runs nothing.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/open_file_limit.h"
#include "platform/text_editor.h"

namespace brenvo1::platform::posix {

// Editors tried in this order; the first one found on PATH is started.
// xdg-open comes last: it picks the desktop's own choice, which may not be
// a text editor.
inline constexpr std::array<std::string_view, 10> kTextEditors = {
    "gnome-text-editor", "gedit", "kwrite",    "kate",    "mousepad",
    "xed",               "pluma", "featherpad", "leafpad", "xdg-open",
};

// Full path of the first executable regular file named program in the
// folders of path_variable (a PATH value; an empty entry is the current
// folder, as for execvp). nullopt when there is none.
std::optional<std::string> FindOnPath(std::string_view program, std::string_view path_variable);

// The first of kTextEditors found on pathVariable.
std::optional<std::string> FindTextEditor(std::string_view path_variable);

// Starts program with the single argument argument, in a session of its
// own, with no parent that waits for it (so that it leaves no zombie
// behind) and with the user's own limit on open files. Returns once the
// program has been executed (or has failed to be): false when it could
// not be started.
bool StartDetached(const std::string& program, std::string_view argument, const OpenFileLimit& limit);

class DesktopEditor : public TextEditor {
 public:
  explicit DesktopEditor(OpenFileLimit limit) : limit_(limit) {}
  // Looks the editor up on the current PATH at every call, so an editor
  // installed while the program runs is found.
  bool Open(std::string_view path) override;

 private:
  OpenFileLimit limit_;
};

}  // namespace brenvo1::platform::posix
