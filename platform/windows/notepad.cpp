#include "platform/windows/notepad.h"

#include "platform/windows/windows_api.h"

#include "platform/windows/wide_text.h"

namespace brenvo1::platform::windows {

std::optional<std::wstring> SystemNotepadPath() {
  const UINT size = GetSystemDirectoryW(nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring folder(size, L'\0');
  const UINT length = GetSystemDirectoryW(folder.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  folder.resize(length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"notepad.exe";
}

std::optional<std::wstring> NotepadCommandLine(const std::wstring& program, const std::wstring& file) {
  // A '\' before the closing quote would escape it; a file's full path
  // never ends in one.
  if (file.empty() || file.find(L'"') != std::wstring::npos || file.back() == L'\\') return std::nullopt;
  return L'"' + program + L"\" \"" + file + L'"';
}

bool Notepad::Open(std::string_view path) {
  const auto program = SystemNotepadPath();
  if (!program) return false;
  auto command_line = NotepadCommandLine(*program, WideText(path));
  if (!command_line) return false;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // The program is named in full, so the command line is never searched
  // for it; no shell sees the path.
  if (!CreateProcessW(program->c_str(), command_line->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  // Notepad lives on its own; nothing here waits for it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace brenvo1::platform::windows
