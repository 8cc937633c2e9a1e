#pragma once

#include <optional>
#include <string>

#include "platform/text_editor.h"

namespace brenvo1::platform::windows {

// Opens a result in the system's Notepad, named by its full path in the
// system folder: a notepad.exe in the current folder or on PATH is never
// the one started.
class Notepad : public TextEditor {
 public:
  bool Open(std::string_view path) override;
};

// "<system folder>\notepad.exe"; nullopt when the system folder is unknown.
std::optional<std::wstring> SystemNotepadPath();

// `"program" "file"`, as Notepad's C runtime splits it: nullopt for a file
// that no quotes can hold (a '"' is never part of a Windows name).
std::optional<std::wstring> NotepadCommandLine(const std::wstring& program, const std::wstring& file);

}  // namespace brenvo1::platform::windows
