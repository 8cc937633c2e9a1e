#pragma once

// What the search run and the result handlers need of the window: the
// application pointer, the two text boxes, the result list, the message box
// and the launching of the text editor. The Qt window implements these for
// real; the console tool and the tests implement them on their own.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace brenvo1::platform {

enum class MousePointer : std::int16_t {
  Default = 0,
  Hourglass = 11,
};

class ApplicationPointer {
 public:
  virtual ~ApplicationPointer() = default;
  virtual void SetMousePointer(MousePointer pointer) = 0;
};

// A single-line text box. The text comes back as UTF-8; a folder path is
// later used as the file-name bytes of that text.
class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual std::string Text() const = 0;
};

// Ends a search run whose window was closed: nobody is left to see its
// results. Not a std::exception, so that nothing catches it as a failure on
// its way out of the engine.
struct RunAbandoned {};

// The result list. Items are full paths as raw file-name bytes, so that a
// listed file can be opened again even when its name is not valid UTF-8.
class ListBox {
 public:
  virtual ~ListBox() = default;
  virtual void Clear() = 0;
  virtual void AddItem(std::string_view item) = 0;
  // Shows the list as it is now, without returning to the event loop.
  // An implementation may hold a repaint back for at most one display
  // frame; it then owes it to RefreshIfDue or FinishRefresh.
  virtual void Refresh() = 0;
  // Called after every examined file: a repaint held back by Refresh is
  // done here once its frame has passed. A window also answers its desktop
  // here, and throws RunAbandoned once the user has closed it.
  virtual void RefreshIfDue() {}
  // Called at the end of every search run: any held-back repaint is done now.
  virtual void FinishRefresh() {}
  // Index of the current item, -1 when there is none.
  virtual int ListIndex() const = 0;
  virtual bool Selected(int index) const = 0;
  virtual std::string List(int index) const = 0;
};

// A modal box with one OK button, no icon and the application's title.
// Returns when the user has closed it. Details, when given, are extra lines
// the user can unfold (for example the paths that could not be read).
class MessageBox {
 public:
  virtual ~MessageBox() = default;
  virtual void Show(std::string_view text, std::span<const std::string> details = {}) = 0;
};

// Starts the plain-text editor on one file and returns at once.
class ProgramLauncher {
 public:
  virtual ~ProgramLauncher() = default;
  // path is the raw bytes of the file's full path. Returns false when no
  // editor could be started.
  virtual bool OpenInTextEditor(std::string_view path) = 0;
};

}  // namespace brenvo1::platform
