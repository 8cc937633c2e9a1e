#include "window/win32/win32_message_box.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "window/window_texts.h"

namespace brenvo1::window::win32 {

using platform::win32::WideText;

void Win32MessageBox::Show(std::string_view text, std::span<const std::string> details) {
  const std::wstring caption = WideText(texts::kMessageBoxCaption);
  const std::wstring content = WideText(text);
  std::wstring expanded;
  for (const std::string& line : details) {
    if (!expanded.empty()) expanded += L"\r\n";
    expanded += WideText(line);
  }

  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner_;
  // Escape and the close button close it, as OK does.
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = TDCBF_OK_BUTTON;
  config.pszWindowTitle = caption.c_str();
  config.pszContent = content.c_str();
  if (!expanded.empty()) config.pszExpandedInformation = expanded.c_str();
  config.pfCallback = &Win32MessageBox::Notified;
  config.lpCallbackData = reinterpret_cast<LONG_PTR>(this);
  showing_ = true;
  dismissed_ = false;
  const HRESULT shown = TaskDialogIndirect(&config, nullptr, nullptr, nullptr);
  dialog_ = nullptr;
  if (SUCCEEDED(shown) || dismissed_) {
    showing_ = false;
    return;
  }

  // Out of memory for the dialog: the plain box still says what happened.
  std::wstring plain = content;
  if (!expanded.empty()) plain += L"\r\n\r\n" + expanded;
  ::MessageBoxW(owner_, plain.c_str(), caption.c_str(), MB_OK);
  showing_ = false;
}

void Win32MessageBox::Dismiss() {
  dismissed_ = showing_;
  if (dialog_) SendMessageW(dialog_, TDM_CLICK_BUTTON, IDOK, 0);
}

HRESULT CALLBACK Win32MessageBox::Notified(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR self) {
  auto* box = reinterpret_cast<Win32MessageBox*>(self);
  if (notification == TDN_CREATED) {
    box->dialog_ = dialog;
    // Dismissed before it came up: it goes at once.
    if (box->dismissed_) SendMessageW(dialog, TDM_CLICK_BUTTON, IDOK, 0);
  } else if (notification == TDN_DESTROYED) {
    box->dialog_ = nullptr;
  }
  return S_OK;
}

}  // namespace brenvo1::window::win32
