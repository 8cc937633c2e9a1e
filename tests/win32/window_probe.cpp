// What win32_window_test.sh asks of the running window that xdotool cannot
// see: sizes and places in Windows' own terms, the list's rows, whether the
// window answers and the message box's controls. Finds the window by its caption, as any other program can.
//
//   window_probe client-size          "465x542"
//   window_probe frame                "X Y WIDTH HEIGHT" of the whole window
//   window_probe center CONTROL       screen "X Y" of txtPercorso, Command1,
//                                     txtTesto, lstFile or rowN (from 0)
//   window_probe text CONTROL         the text of txtPercorso or txtTesto
//   window_probe items                the list's rows, one a line (UTF-8)
//   window_probe answers              exit 0 when the window is not hung
//                                     and answers a message within 1 s
//   window_probe box                  "buttons=N ok=N icon=N text=..." of
//                                     the open "Brenvo1" box, then
//                                     "hidden=..." its folded details
//   window_probe box-center WHICH     screen "X Y" of the box's ok button or
//                                     its details toggle
//   window_probe box-toggle           the caption of the box's details toggle
//   window_probe box-fits             "fits lines=N shown=N": the box and its
//                                     OK button within the work area of its
//                                     screen, and, when unfolded, its
//                                     details too, N lines of which N show;
//                                     fails saying what lies outside
//   window_probe press-ok             clicks the box's OK button
//   window_probe tip                  the text of the tip shown over the
//                                     window, fails when none is shown
//   window_probe tip-tools            how many rows the list's tip is ready
//                                     for: 1 while the pointer rests on a
//                                     row that has a tip, else 0
//   window_probe menu                 exit 0 while a menu of the window shows
//   window_probe clipboard            the clipboard's text (UTF-8)
//   window_probe end-session          tells the window the session ends, as
//                                     logging off does
//   window_probe close                asks the window to close (WM_CLOSE), as
//                                     Task Manager's "End task" does
//   window_probe focus                the control with the keyboard focus
//   window_probe focused-row          the list's row marked as the one the
//                                     keys act on, -1 for none
//   window_probe accessible           "CONTROL ROLE|NAME" of the window and
//                                     each control, as a screen reader asks
//                                     for them (MSAA), a line each
//   window_probe hold PATH            keeps the file PATH, or every file of
//                                     the folder PATH, open for no one else
//                                     to read, until killed; prints
//                                     "holding N"
//   window_probe load DLL             has the window's process load DLL by
//                                     name, as system code loads one on
//                                     demand; prints the file it got

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "platform/windows/wide_text.h"

namespace {

using brenvo1::platform::windows::Wtf8Text;

// The window's control identifiers (window/win32/resource_ids.h).
struct Control {
  const char* name;
  int id;
};
constexpr Control kControls[] = {{"txtPercorso", 101}, {"Command1", 102}, {"txtTesto", 103}, {"lstFile", 104}};

void Print(const std::string& line) {
  std::string text = line;
  text += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int Fail(const std::string& why) {
  std::string text = "window_probe: ";
  text.append(why).append("\n");
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  return 1;
}

HWND Form() { return FindWindowW(nullptr, L"Scandilo"); }

HWND ControlNamed(HWND form, const std::string& name) {
  for (const Control& known : kControls) {
    if (name == known.name) return GetDlgItem(form, known.id);
  }
  return nullptr;
}

// Memory in the window's process: a list view reads and writes the
// structures of LVM_ messages at addresses of its own process.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, SIZE_T size) : size_(size) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_CREATE_THREAD |
                               PROCESS_QUERY_INFORMATION,
                           FALSE, process_id);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  bool ok() const { return address_ != nullptr; }
  HANDLE process() const { return process_; }
  char* address() const { return static_cast<char*>(address_); }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) {
    return WriteProcessMemory(process_, address() + offset, data, size, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) {
    return ReadProcessMemory(process_, address() + offset, data, size, nullptr);
  }

 private:
  SIZE_T size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

int ClientSize(HWND form) {
  RECT client{};
  GetClientRect(form, &client);
  Print(std::to_string(client.right) + "x" + std::to_string(client.bottom));
  return 0;
}

int Frame(HWND form) {
  RECT frame{};
  GetWindowRect(form, &frame);
  Print(std::to_string(frame.left) + " " + std::to_string(frame.top) + " " + std::to_string(frame.right - frame.left) +
        " " + std::to_string(frame.bottom - frame.top));
  return 0;
}

int Center(HWND form, const std::string& name) {
  RECT place{};
  if (name.rfind("row", 0) == 0) {
    const WPARAM row = std::stoul(name.substr(3));
    const HWND list = GetDlgItem(form, 104);
    RemoteMemory memory(list, sizeof(RECT));
    RECT asked{};
    asked.left = LVIR_BOUNDS;
    if (!memory.ok() || !memory.Write(0, &asked, sizeof asked)) return Fail("no memory in the window's process");
    if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory.address()))) {
      return Fail("the list has no " + name);
    }
    memory.Read(0, &place, sizeof place);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&place), 2);
  } else {
    const HWND control = ControlNamed(form, name);
    if (!control) return Fail("no control " + name);
    GetWindowRect(control, &place);
  }
  Print(std::to_string((place.left + place.right) / 2) + " " + std::to_string((place.top + place.bottom) / 2));
  return 0;
}

int Items(HWND form) {
  const HWND list = GetDlgItem(form, 104);
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  constexpr int kTextMax = 32768;
  RemoteMemory memory(list, sizeof(LVITEMW) + kTextMax * sizeof(wchar_t));
  if (!memory.ok()) return Fail("no memory in the window's process");
  std::vector<wchar_t> text(kTextMax);
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = kTextMax;
    item.pszText = reinterpret_cast<wchar_t*>(memory.address() + sizeof(LVITEMW));
    memory.Write(0, &item, sizeof item);
    const auto length = static_cast<int>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(memory.address())));
    memory.Read(sizeof(LVITEMW), text.data(), static_cast<SIZE_T>(length) * sizeof(wchar_t));
    Print(Wtf8Text(std::wstring_view(text.data(), static_cast<std::size_t>(length))));
  }
  return 0;
}

int Answers(HWND form) {
  if (IsHungAppWindow(form)) return Fail("Windows marks the window as not responding");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result)) {
    return Fail("the window did not answer within 1 s");
  }
  Print("answers");
  return 0;
}

int Focus(HWND form) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &thread)) return Fail("no thread information");
  for (const Control& known : kControls) {
    if (thread.hwndFocus && thread.hwndFocus == GetDlgItem(form, known.id)) {
      Print(known.name);
      return 0;
    }
  }
  Print("other");
  return 0;
}

int FocusedRow(HWND form) {
  const HWND list = GetDlgItem(form, 104);
  Print(std::to_string(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)));
  return 0;
}

// Role and name of one accessible object: the window's own client object,
// or its child number child.
std::string RoleAndName(IAccessible& object, LONG child) {
  VARIANT which{};
  which.vt = VT_I4;
  which.lVal = child;
  std::string line;
  VARIANT role{};
  wchar_t role_text[128] = L"";
  if (SUCCEEDED(object.get_accRole(which, &role)) && role.vt == VT_I4) GetRoleTextW(role.lVal, role_text, 128);
  line = Wtf8Text(role_text) + "|";
  BSTR name = nullptr;
  if (SUCCEEDED(object.get_accName(which, &name)) && name) line += Wtf8Text(name);
  SysFreeString(name);
  return line;
}

int Accessible(HWND form) {
  CoInitialize(nullptr);
  std::vector<std::pair<std::string, HWND>> windows = {{"Form1", form}};
  for (const Control& known : kControls) windows.emplace_back(known.name, GetDlgItem(form, known.id));
  for (const auto& [label, window] : windows) {
    IAccessible* object = nullptr;
    // By __uuidof: asked with the IID_IAccessible that MinGW's libraries
    // give, Wine's oleacc answers E_NOINTERFACE.
    const HRESULT found =
        AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object));
    if (FAILED(found) || object == nullptr) {
      char code[16];
      std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(found));
      Print(label + " none (" + code + ")");
      continue;
    }
    Print(label + " " + RoleAndName(*object, CHILDID_SELF));
    object->Release();
  }
  return 0;
}

HWND Box() { return FindWindowW(nullptr, L"Brenvo1"); }

// The box's details (window/win32/resource_ids.h) and their toggle.
constexpr int kDetailsId = 201;
constexpr int kDetailsToggleId = 202;

// WM_GETTEXT, which Windows carries across processes; GetWindowText would
// give another process's edit control's caption, not its text.
std::optional<std::wstring> WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return std::nullopt;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           5000, &copied)) {
    return std::nullopt;
  }
  text.resize(copied);
  return text;
}

std::string Place(const RECT& place) {
  return std::to_string(place.left) + "," + std::to_string(place.top) + "," + std::to_string(place.right) + "," +
         std::to_string(place.bottom);
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

int BoxCenter(const std::string& which) {
  const HWND box = Box();
  if (!box) return Fail("no Brenvo1 box");
  HWND control = nullptr;
  if (which == "ok") {
    control = GetDlgItem(box, IDOK);
  } else if (which == "toggle") {
    // Any visible button but OK: the box's own toggle, or the one of the
    // system's task dialog.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t class_name[64] = {};
      GetClassNameW(child, class_name, 64);
      if (IsWindowVisible(child) && lstrcmpiW(class_name, L"Button") == 0 && GetDlgCtrlID(child) != IDOK) {
        control = child;
        break;
      }
    }
  }
  if (!control) return Fail("the box has no " + which);
  RECT place{};
  GetWindowRect(control, &place);
  Print(std::to_string((place.left + place.right) / 2) + " " + std::to_string((place.top + place.bottom) / 2));
  return 0;
}

int BoxToggle() {
  const HWND box = Box();
  const HWND toggle = box ? GetDlgItem(box, kDetailsToggleId) : nullptr;
  if (!toggle) return Fail("no details toggle in a Brenvo1 box");
  const std::optional<std::wstring> caption = WindowText(toggle);
  if (!caption) return Fail("no caption from the details toggle");
  Print(Wtf8Text(*caption));
  return 0;
}

int BoxFits() {
  const HWND box = Box();
  if (!box) return Fail("no Brenvo1 box");
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT frame{};
  GetWindowRect(box, &frame);
  const std::string where = " (work area " + Place(work) + ")";
  if (!Inside(frame, work)) return Fail("the box at " + Place(frame) + " is not within the work area" + where);
  const HWND ok = GetDlgItem(box, IDOK);
  RECT ok_place{};
  if (!ok || !IsWindowVisible(ok) || !GetWindowRect(ok, &ok_place)) return Fail("the box shows no OK button");
  RECT client{};
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (!Inside(ok_place, client) || !Inside(ok_place, work)) {
    return Fail("the OK button at " + Place(ok_place) + " is not within the box's inside " + Place(client) + where);
  }
  const HWND details = GetDlgItem(box, kDetailsId);
  if (!details || !IsWindowVisible(details)) {
    Print("fits lines=0 shown=0");
    return 0;
  }
  RECT details_place{};
  GetWindowRect(details, &details_place);
  if (!Inside(details_place, client) || !Inside(details_place, work)) {
    return Fail("the details at " + Place(details_place) + " are not within the box's inside " + Place(client) + where);
  }
  if (details_place.bottom > ok_place.top) return Fail("the details reach over the OK button");
  // The lines the details hold, and how many of them show at once: the
  // control's inside over the height of a line (the first two lines'
  // places, EM_POSFROMCHAR of their first characters).
  DWORD_PTR lines = 0;
  SendMessageTimeoutW(details, EM_GETLINECOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &lines);
  DWORD_PTR first = 0, second = 0, second_start = 0;
  SendMessageTimeoutW(details, EM_LINEINDEX, 1, 0, SMTO_ABORTIFHUNG, 5000, &second_start);
  SendMessageTimeoutW(details, EM_POSFROMCHAR, 0, 0, SMTO_ABORTIFHUNG, 5000, &first);
  SendMessageTimeoutW(details, EM_POSFROMCHAR, second_start, 0, SMTO_ABORTIFHUNG, 5000, &second);
  const int line_height = static_cast<short>(HIWORD(second)) - static_cast<short>(HIWORD(first));
  RECT inside{};
  GetClientRect(details, &inside);
  const long shown = line_height > 0 ? inside.bottom / line_height : 0;
  if (!(GetWindowLongW(details, GWL_STYLE) & WS_VSCROLL) && static_cast<long>(lines) > shown) {
    return Fail("the details hold more lines than show, with no scroll bar");
  }
  Print("fits lines=" + std::to_string(lines) + " shown=" + std::to_string(shown));
  return 0;
}

// The windows of class_name of the window's thread, the visible ones only
// unless all.
std::vector<HWND> ThreadWindows(HWND form, const wchar_t* class_name, bool all = false) {
  struct Found {
    const wchar_t* class_name;
    bool all;
    std::vector<HWND> windows;
  } found{class_name, all, {}};
  EnumThreadWindows(
      GetWindowThreadProcessId(form, nullptr),
      [](HWND window, LPARAM context) -> BOOL {
        auto& found = *reinterpret_cast<Found*>(context);
        wchar_t class_name[64] = {};
        GetClassNameW(window, class_name, 64);
        if ((found.all || IsWindowVisible(window)) && lstrcmpiW(class_name, found.class_name) == 0) {
          found.windows.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

// The tip over the window: a visible tooltip of the window's thread.
int Tip(HWND form) {
  const std::vector<HWND> tips = ThreadWindows(form, TOOLTIPS_CLASSW);
  if (tips.empty()) return Fail("no tip is shown");
  const std::optional<std::wstring> text = WindowText(tips.front());
  if (!text) return Fail("no text from the tip");
  Print(Wtf8Text(*text));
  return 0;
}

// The tools of the list's own tip (not the list view's): 1 while the
// pointer rests on a row that has a tip.
int TipTools(HWND form) {
  const HWND list = GetDlgItem(form, 104);
  const auto list_views = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETTOOLTIPS, 0, 0));
  LRESULT tools = 0;
  for (const HWND tip : ThreadWindows(form, TOOLTIPS_CLASSW, true)) {
    if (GetWindow(tip, GW_OWNER) == list && tip != list_views) tools += SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0);
  }
  Print(std::to_string(tools));
  return 0;
}

// Plain text on the clipboard, as UTF-8.
int Clipboard() {
  if (!OpenClipboard(nullptr)) return Fail("the clipboard could not be opened");
  const HANDLE memory = GetClipboardData(CF_UNICODETEXT);
  const auto* text = memory ? static_cast<const wchar_t*>(GlobalLock(memory)) : nullptr;
  if (text) Print(Wtf8Text(text));
  if (text) GlobalUnlock(memory);
  CloseClipboard();
  return text ? 0 : Fail("no text on the clipboard");
}

int DescribeBox() {
  const HWND box = Box();
  if (!box) return Fail("no Brenvo1 box");
  struct Seen {
    int buttons = 0, ok = 0, icons = 0;
    std::string text, hidden;
  } seen;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM context) -> BOOL {
        auto& seen = *reinterpret_cast<Seen*>(context);
        wchar_t class_name[64] = {};
        GetClassNameW(child, class_name, 64);
        const auto style = GetWindowLongW(child, GWL_STYLE);
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        if (!IsWindowVisible(child)) {
          // Folded details are there, only not shown; an edit control's
          // text is asked of it.
          if (lstrcmpiW(class_name, L"Edit") == 0) {
            if (const std::optional<std::wstring> details = WindowText(child)) seen.hidden += Wtf8Text(*details);
          } else if (text[0]) {
            seen.hidden += Wtf8Text(text);
          }
        } else if (lstrcmpiW(class_name, L"Button") == 0) {
          ++seen.buttons;
          if (GetDlgCtrlID(child) == IDOK) ++seen.ok;
        } else if (lstrcmpiW(class_name, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
          ++seen.icons;
        } else if (text[0]) {
          if (!seen.text.empty()) seen.text += '|';
          seen.text += Wtf8Text(text);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  Print("buttons=" + std::to_string(seen.buttons) + " ok=" + std::to_string(seen.ok) +
        " icon=" + std::to_string(seen.icons) + " text=" + seen.text);
  Print("hidden=" + seen.hidden);
  return 0;
}

// What was typed, not the control's caption (see WindowText).
int Text(HWND form, const std::string& name) {
  const HWND control = ControlNamed(form, name);
  const std::optional<std::wstring> text = control ? WindowText(control) : std::nullopt;
  if (!text) return Fail("no text from " + name);
  Print(Wtf8Text(*text));
  return 0;
}

int Hold(const std::wstring& path) {
  std::vector<std::wstring> files;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    WIN32_FIND_DATAW entry;
    const HANDLE listing = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (listing == INVALID_HANDLE_VALUE) return Fail("cannot list the folder to hold");
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(path + L"\\" + entry.cFileName);
    } while (FindNextFileW(listing, &entry));
    FindClose(listing);
  } else {
    files.push_back(path);
  }
  for (const std::wstring& file : files) {
    if (CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) == INVALID_HANDLE_VALUE) {
      return Fail("cannot open " + Wtf8Text(file) + " to hold");
    }
  }
  Print("holding " + std::to_string(files.size()));
  Sleep(INFINITE);
  return 0;
}

// LoadLibraryW run in the window's process by a thread of its own: the call
// system DLLs make when they load another one on demand, so it searches as
// the program has set its process to search. kernel32 lies at the same
// address in every process of a session.
int Load(HWND form, const std::wstring& name) {
  const SIZE_T bytes = (name.size() + 1) * sizeof(wchar_t);
  RemoteMemory memory(form, bytes);
  if (!memory.ok() || !memory.Write(0, name.c_str(), bytes)) return Fail("no memory in the window's process");
  const auto load_library = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  const HANDLE thread = CreateRemoteThread(memory.process(), nullptr, 0, load_library, memory.address(), 0, nullptr);
  if (!thread) return Fail("no thread in the window's process");
  const bool ended = WaitForSingleObject(thread, 30000) == WAIT_OBJECT_0;
  CloseHandle(thread);
  if (!ended) return Fail("LoadLibraryW did not return within 30 s");
  HMODULE modules[1024];
  DWORD needed = 0;
  if (!K32EnumProcessModules(memory.process(), modules, sizeof modules, &needed)) return Fail("no module list");
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 1024; ++i) {
    wchar_t path[32768] = {};
    if (!K32GetModuleFileNameExW(memory.process(), modules[i], path, 32768)) continue;
    const wchar_t* base = wcsrchr(path, L'\\');
    if (lstrcmpiW(base ? base + 1 : path, name.c_str()) == 0) {
      Print(Wtf8Text(path));
      return 0;
    }
  }
  return Fail("the window's process did not load " + Wtf8Text(name));
}

int PressOk() {
  const HWND box = Box();
  const HWND ok = box ? GetDlgItem(box, IDOK) : nullptr;
  if (!ok) return Fail("no OK button in a Brenvo1 box");
  PostMessageW(ok, BM_CLICK, 0, 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Fail("usage: window_probe COMMAND");
  const std::string command = Wtf8Text(argv[1]);
  if (command == "box") return DescribeBox();
  if (command == "press-ok") return PressOk();
  if (command == "box-center" && argc == 3) return BoxCenter(Wtf8Text(argv[2]));
  if (command == "box-toggle") return BoxToggle();
  if (command == "box-fits") return BoxFits();
  if (command == "hold" && argc == 3) return Hold(argv[2]);
  if (command == "clipboard") return Clipboard();
  const HWND form = Form();
  if (!form) return Fail("no Scandilo window");
  if (command == "client-size") return ClientSize(form);
  if (command == "frame") return Frame(form);
  if (command == "center" && argc == 3) return Center(form, Wtf8Text(argv[2]));
  if (command == "text" && argc == 3) return Text(form, Wtf8Text(argv[2]));
  if (command == "items") return Items(form);
  if (command == "answers") return Answers(form);
  if (command == "focus") return Focus(form);
  if (command == "focused-row") return FocusedRow(form);
  if (command == "accessible") return Accessible(form);
  if (command == "tip") return Tip(form);
  if (command == "tip-tools") return TipTools(form);
  if (command == "menu") return ThreadWindows(form, L"#32768").empty() ? Fail("no menu is shown") : 0;
  if (command == "close") return PostMessageW(form, WM_CLOSE, 0, 0) ? 0 : Fail("the close request was not posted");
  if (command == "end-session") {
    DWORD_PTR agreed = 0;
    if (!SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &agreed)) {
      return Fail("the window did not answer whether the session may end");
    }
    if (!agreed) return Fail("the window would not let the session end");
    return SendMessageTimeoutW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &agreed)
               ? 0
               : Fail("the window did not take the end of the session");
  }
  if (command == "load" && argc == 3) return Load(form, argv[2]);
  return Fail("unknown command");
}
