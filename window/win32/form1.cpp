#include "window/win32/form1.h"

#include <string>

#include "platform/windows/wide_text.h"
#include "platform/windows/error_text.h"
#include "window/form_layout.h"
#include "window/open_result.h"
#include "window/win32/dpi.h"
#include "window/win32/resource_ids.h"
#include "messages/texts.h"

namespace brenvo1::window::win32 {

namespace {

using platform::windows::WideText;

constexpr wchar_t kClassName[] = L"Brenvo1.Form1";

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;

// A screen reader names an EDIT or a list view after the static text just
// before it in z-order, shown or not; these are never shown, the window's
// look has no labels.
HWND CreateHiddenLabel(HWND parent, std::string_view name) {
  return CreateWindowExW(0, L"STATIC", WideText(name).c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, parent,
                         nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
}

void Place(HWND control, const layout::Twips& twips, UINT dpi) {
  const RECT pixels = PixelsFromTwips(twips, dpi);
  SetWindowPos(control, nullptr, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW form_class{};
  form_class.cbSize = sizeof form_class;
  form_class.style = CS_HREDRAW | CS_VREDRAW;
  form_class.lpfnWndProc = procedure;
  form_class.hInstance = instance;
  form_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  form_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  form_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // The grey of dialogs, the form's own background.
  form_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form_class.lpszClassName = kClassName;
  RegisterClassExW(&form_class);
}

}  // namespace

Form1::Form1(HINSTANCE instance, platform::TextEditor& editor, RunCommand::FileSystemFactory create_file_system)
    : instance_(instance), editor_(editor) {
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterFormClass(instance, &Form1::WindowProc);
  // WindowProc keeps the window's handle in hwnd_ from its first message.
  CreateWindowExW(kExStyle, kClassName, WideText(messages::kWindowTitle).c_str(), kStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
  if (!hwnd_) throw std::runtime_error(platform::windows::SystemErrorText(GetLastError()));
  message_box_.SetOwner(hwnd_);
  clipboard_.SetOwner(hwnd_);
  CreateControls();
  run_ = std::make_unique<RunCommand>(RunControls{screen_, *txtPercorso, *txtTesto, *lstFile, message_box_, desktop_},
                                      std::move(create_file_system));

  // The DPI is the window's own once it exists: that of the screen it is on.
  const UINT dpi = WindowDpi(hwnd_);
  const SIZE outer = WindowSizeForClient(PixelsFromTwips(layout::kForm1.width, dpi),
                                         PixelsFromTwips(layout::kForm1.height, dpi), kStyle, kExStyle, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut(dpi);
}

Form1::~Form1() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (font_) DeleteObject(font_);
}

void Form1::CreateControls() {
  // Creation order is z-order, and Tab follows z-order: txtPercorso,
  // Command1, txtTesto, lstFile. Each hidden label comes just before the
  // control it names.
  CreateHiddenLabel(hwnd_, messages::kFolderPathName);
  txtPercorso = std::make_unique<Win32TextBox>(hwnd_, kTxtPercorsoId,
                                                                messages::kFolderPathInitialText);
  // A plain push button, not the default one: Enter in a text box starts
  // nothing.
  Command1 = CreateWindowExW(0, L"BUTTON", WideText(messages::kSearchButton).c_str(),
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCommand1Id)), instance_, nullptr);
  CreateHiddenLabel(hwnd_, messages::kSearchTextName);
  txtTesto =
      std::make_unique<Win32TextBox>(hwnd_, kTxtTestoId, messages::kSearchTextInitialText);
  CreateHiddenLabel(hwnd_, messages::kResultListName);
  lstFile = std::make_unique<Win32ListBox>(hwnd_, kLstFileId);
  focus_ = txtPercorso->hwnd();
}

void Form1::LayOut(UINT dpi) {
  Place(txtPercorso->hwnd(), layout::kTxtPercorso, dpi);
  Place(Command1, layout::kCommand1, dpi);
  Place(txtTesto->hwnd(), layout::kTxtTesto, dpi);
  Place(lstFile->hwnd(), layout::kLstFile, dpi);
  lstFile->FitColumn(dpi);

  const HFONT font = CreateMessageFont(dpi);
  for (HWND control : {txtPercorso->hwnd(), Command1, txtTesto->hwnd(), lstFile->hwnd()}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_) DeleteObject(font_);
  font_ = font;
}

void Form1::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
  SetFocus(txtPercorso->hwnd());
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Form1*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
    created->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Before WM_NCCREATE, and once the controls are gone after WM_DESTROY.
  if (!form || !form->run_) return DefWindowProcW(window, message, wparam, lparam);
  // Nothing may unwind through Windows' own frames.
  try {
    return form->HandleMessage(message, wparam, lparam);
  } catch (...) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const HWND window = hwnd_;
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kCommand1Id && HIWORD(wparam) == BN_CLICKED) {
        Command1_Click();
      } else if (LOWORD(wparam) == IDOK && GetFocus() == Command1) {
        // Enter, which the dialog keys turn into IDOK: on the focused
        // button it clicks it, as Space does; on the list it opens the
        // row marked as the one the keys act on; in a text box it does
        // nothing.
        Command1_Click();
      } else if (LOWORD(wparam) == IDOK && GetFocus() == lstFile->hwnd()) {
        lstFile_KeyEnter();
      } else if (LOWORD(wparam) == kOpenCommandId) {
        lstFile_DblClick();
      } else if (LOWORD(wparam) == kCopyPathCommandId) {
        lstFile_Copy();
      }
      return 0;
    case WM_NOTIFY:
      return HandleNotify(*reinterpret_cast<NMHDR*>(lparam));
    case WM_DRAWITEM:
      if (wparam == kLstFileId) {
        lstFile->DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
      }
      break;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wparam) == lstFile->hwnd()) {
        lstFile->ShowMenu(lparam);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (screen_.AnswerSetCursor()) return TRUE;
      break;
    case WM_ACTIVATE:
      // The focus comes back to the control that had it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        if (HWND focused = GetFocus(); focused && IsChild(hwnd_, focused)) focus_ = focused;
      } else if (focus_) {
        SetFocus(focus_);
      }
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut(HIWORD(wparam));
      return 0;
    }
    case WM_CLOSE:
      if (run_->RequestClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      // Nothing of the program's is lost at its end: the user may log off.
      return TRUE;
    case WM_ENDSESSION:
      // The session ends, and the program with it, whatever it is doing: a
      // run stops at its next look at the queue, a box on screen goes.
      if (wparam && run_->RequestClose()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      // The controls die with the window; nothing may reach them after.
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Form1::HandleNotify(NMHDR& header) {
  if (header.hwndFrom != lstFile->hwnd()) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      lstFile->FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(&header));
      return 0;
    case NM_DBLCLK:
      lstFile_DblClick();
      return 0;
    case NM_SETFOCUS:
      lstFile->MarkFocusedRow();
      return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(&header)->wVKey == 'C' && GetKeyState(VK_CONTROL) < 0 &&
          GetKeyState(VK_MENU) >= 0) {
        lstFile_Copy();
      }
      return 0;
    case LVN_ODFINDITEMW:
      // Typing in the list looks for nothing.
      return -1;
    default:
      return 0;
  }
}

void Form1::Command1_Click() {
  run_->Run();
  CloseIfRequested();
}

void Form1::lstFile_DblClick() {
  OpenCurrentResult(*lstFile, message_box_, editor_);
  CloseIfRequested();
}

void Form1::lstFile_KeyEnter() {
  OpenMarkedResult(*lstFile, lstFile->MarkedRow(), message_box_, editor_);
  CloseIfRequested();
}

void Form1::lstFile_Copy() {
  CopyCurrentResult(*lstFile, clipboard_, message_box_);
  CloseIfRequested();
}

void Form1::CloseIfRequested() {
  if (run_->close_requested() && hwnd_) DestroyWindow(hwnd_);
}

}  // namespace brenvo1::window::win32
