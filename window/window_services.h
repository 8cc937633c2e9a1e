#pragma once

// What a search run and the result handlers need of a window: the
// application pointer, the two text boxes, the result list, the message box,
// the desktop the window answers and its clipboard. The Qt window and the Windows window
// implement these; the tests implement them on their own.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace brenvo1::window {

enum class MousePointer : std::int16_t {
  Default = 0,
  Hourglass = 11,
};

class ApplicationPointer {
 public:
  virtual ~ApplicationPointer() = default;
  virtual void SetMousePointer(MousePointer pointer) = 0;
};

// A single-line text box. The text comes back as UTF-8 (WTF-8 on Windows);
// a folder path is later used as the file-name bytes of that text.
class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual std::string Text() const = 0;
};

// The result list. Items are full paths as raw file-name bytes, so that a
// listed file can be opened again even when its name is not valid UTF-8.
class ListBox {
 public:
  virtual ~ListBox() = default;
  virtual void Clear() = 0;
  virtual void AddItem(std::string_view item) = 0;
  // Shows the list as it is now, without returning to the event loop.
  virtual void Refresh() = 0;
  // Index of the current item, -1 when there is none.
  virtual int ListIndex() const = 0;
  virtual bool Selected(int index) const = 0;
  virtual std::string List(int index) const = 0;
};

// A box with one OK button, no icon and the application's title, which
// takes the window's input while it is shown. Details, when given, are
// extra lines the user can unfold (for example the paths that could not be
// read).
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Returns when the user has closed the box, or Dismiss was called.
  virtual void Show(std::string_view text, std::span<const std::string> details = {}) = 0;
  // Closes the box being shown, as its OK button would; nothing when none is.
  virtual void Dismiss() = 0;
  virtual bool showing() const = 0;
};

// The desktop the window lives on. A search run holds the window's thread;
// between files it answers the desktop (pings, exposed areas to repaint, a
// close request), but takes no clicks or keys.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // Handles what the desktop sent or posted; throws clicks and keys away.
  virtual void AnswerWithoutInput() = 0;
  // Throws away the clicks and keys that arrived before now.
  virtual void DropPendingInput() = 0;
};

// The desktop's clipboard.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts text (UTF-8, WTF-8 on Windows) on the clipboard as plain text.
  // Throws std::runtime_error, with the system's reason, when it cannot.
  virtual void SetText(std::string_view text) = 0;
};

}  // namespace brenvo1::window
