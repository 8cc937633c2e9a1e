#include "platform/win32/win32_message_box.h"

#include <string>

#include "platform/win32/wide_text.h"
#include "platform/window_texts.h"

namespace brenvo1::platform::win32 {

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
  if (SUCCEEDED(TaskDialogIndirect(&config, nullptr, nullptr, nullptr))) return;

  // Out of memory for the dialog: the plain box still says what happened.
  std::wstring plain = content;
  if (!expanded.empty()) plain += L"\r\n\r\n" + expanded;
  ::MessageBoxW(owner_, plain.c_str(), caption.c_str(), MB_OK);
}

}  // namespace brenvo1::platform::win32
