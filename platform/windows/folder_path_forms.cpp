#include "platform/windows/folder_path_forms.h"

#include <algorithm>
#include <vector>

#include "platform/windows/windows_api.h"

namespace brenvo1::platform::windows {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::optional<std::wstring> SystemFullPath(const std::wstring& input) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFullPathNameW(input.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

bool IsDevicePath(std::wstring_view path) { return path.starts_with(L"\\\\.\\") || path.starts_with(L"\\\\?\\"); }

// The end of the first parts of path that begin at from: the separator
// after the last of them, or the path's end.
std::size_t EndOfParts(std::wstring_view path, std::size_t from, int parts) {
  std::size_t at = from;
  for (int i = 0; i < parts && at < path.size(); ++i) {
    at = path.find(L'\\', i == 0 ? at : at + 1);
    if (at == std::wstring_view::npos) return path.size();
  }
  return at;
}

// How much of a full path its root takes. A drive's root keeps its
// separator (C:\ and the device forms \\?\C:\ and \\.\C:\, which without it
// name the volume, not its root folder); a share's root needs none
// (\\server\share, \\?\UNC\server\share).
std::size_t RootLength(std::wstring_view full) {
  if (full.starts_with(L"\\\\?\\UNC\\")) return EndOfParts(full, 8, 2);
  if (IsDevicePath(full)) {
    const std::size_t end = EndOfParts(full, 4, 1);
    return end < full.size() ? end + 1 : end;
  }
  if (full.size() >= 3 && full[1] == L':' && IsSeparator(full[2])) return 3;
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) return EndOfParts(full, 2, 2);
  return 1;
}

// The system takes a \\?\ path as it is spelled: it trims no name and
// reads no device in it, so "dir." is the folder "dir.", not "dir". Only its
// "." and ".." parts are resolved here (".." stopping at the root), as the
// system would refuse them as names.
std::wstring LiteralFullPath(std::wstring_view typed) {
  const std::size_t root = RootLength(typed);
  std::vector<std::wstring_view> kept;
  for (std::wstring_view rest = typed.substr(root); !rest.empty();) {
    const std::size_t cut = rest.find(L'\\');
    const std::wstring_view part = rest.substr(0, cut);
    rest = cut == std::wstring_view::npos ? std::wstring_view() : rest.substr(cut + 1);
    if (part == L"..") {
      if (!kept.empty()) kept.pop_back();
    } else if (!part.empty() && part != L".") {
      kept.push_back(part);
    }
  }
  std::wstring full(typed.substr(0, root));
  for (const std::wstring_view part : kept) {
    if (full.back() != L'\\') full.push_back(L'\\');
    full.append(part);
  }
  return full;
}

}  // namespace

std::optional<std::wstring> FullFolderPath(std::wstring_view typed) {
  // Explorer's "Copia come percorso" quotes the whole path; no name can
  // hold a '"', so one pair around it is never part of the path.
  if (typed.size() >= 2 && typed.front() == L'"' && typed.back() == L'"') typed = typed.substr(1, typed.size() - 2);
  if (typed.empty()) return std::nullopt;
  if (typed.starts_with(L"\\\\?\\")) return LiteralFullPath(typed);
  std::wstring input(typed);
  if (input.starts_with(L"\\\\.\\")) {
    // The system would let ".." climb over the drive of such a path, to the
    // bare device prefix: its dots are resolved first, stopping at the root.
    std::replace(input.begin(), input.end(), L'/', L'\\');
    input = LiteralFullPath(input);
  }
  std::optional<std::wstring> full = SystemFullPath(input);
  if (!full) return std::nullopt;
  if (IsDevicePath(*full) && !IsDevicePath(input)) {
    // A last part such as "con" or "NUL.txt" made the system name its
    // device; the user meant the folder of that name where it is typed,
    // trimmed of trailing dots and spaces as the system trims any other
    // name ("AUX " is the folder "AUX", as "a " is "a").
    const std::size_t cut = input.find_last_of(L"\\/:");
    const std::wstring parent = cut == std::wstring::npos ? L"." : input.substr(0, cut + 1);
    std::wstring_view name = std::wstring_view(input).substr(cut == std::wstring::npos ? 0 : cut + 1);
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.remove_suffix(1);
    full = SystemFullPath(parent);
    if (!full || IsDevicePath(*full) || name.empty()) return std::nullopt;
    if (full->empty() || !IsSeparator(full->back())) full->push_back(L'\\');
    full->append(name);
  }
  const std::size_t root = RootLength(*full);
  while (full->size() > root && IsSeparator(full->back())) full->pop_back();
  return full;
}

std::wstring ExtendedLengthPath(std::wstring_view full) {
  if (full.starts_with(L"\\\\?\\")) return std::wstring(full);
  // The same path, but no longer parsed by the system on the way.
  if (full.starts_with(L"\\\\.\\")) return L"\\\\?\\" + std::wstring(full.substr(4));
  if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
    return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
  }
  return L"\\\\?\\" + std::wstring(full);
}

}  // namespace brenvo1::platform::windows
