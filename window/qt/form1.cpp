#include "window/qt/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <utility>

#include "window/form_layout.h"
#include "window/qt/qt_text.h"
#include "window/open_result.h"
#include "messages/texts.h"

namespace brenvo1::window {

namespace {

// Qt's pixels are those of a 96 DPI screen; it scales them for the screen
// the window is on.
QRect Pixels(const layout::Twips& twips) {
  constexpr int kPerPixel = layout::kTwipsPerPixelAt96Dpi;
  return QRect(twips.left / kPerPixel, twips.top / kPerPixel, twips.width / kPerPixel, twips.height / kPerPixel);
}

// A screen reader announces a window by its role: Qt gives a plain
// top-level widget the role of a filler, which it passes over in silence.
QAccessibleInterface* Form1Accessible(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String(Form1::staticMetaObject.className()) && object->isWidgetType()) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  return nullptr;
}

}  // namespace

Form1::Form1(platform::TextEditor& editor, FileSystemFactory create_file_system, QWidget* parent)
    : QWidget(parent), editor_(editor) {
  static const bool accessible_as_window = (QAccessible::installFactory(Form1Accessible), true);
  (void)accessible_as_window;
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(FromUtf8(messages::kWindowTitle));
  setGeometry(Pixels(layout::kForm1));
  CreateControls();
  run_ = std::make_unique<RunCommand>(RunControls{screen_, *txtPercorso, *txtTesto, *lstFile, message_box_, desktop_},
                                      std::move(create_file_system));
}

Form1::~Form1() = default;

void Form1::CreateControls() {
  // No layout: the controls keep their places and sizes when the window is
  // resized.
  txtPercorso = new QtTextBox(this);
  txtPercorso->setObjectName(QStringLiteral("txtPercorso"));
  txtPercorso->setAccessibleName(FromUtf8(messages::kFolderPathName));
  txtPercorso->setText(FromUtf8(messages::kFolderPathInitialText));
  txtPercorso->setGeometry(Pixels(layout::kTxtPercorso));

  Command1 = new QPushButton(FromUtf8(messages::kSearchButton), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setAccessibleName(FromUtf8(messages::kSearchButtonName));
  Command1->setGeometry(Pixels(layout::kCommand1));
  // Enter on the focused button clicks it, as Space does; outside a dialog
  // Qt only does so for an auto-default button. It is not the window's
  // default button: Enter in a text box starts nothing.
  Command1->setAutoDefault(true);

  txtTesto = new QtTextBox(this);
  txtTesto->setObjectName(QStringLiteral("txtTesto"));
  txtTesto->setAccessibleName(FromUtf8(messages::kSearchTextName));
  txtTesto->setText(FromUtf8(messages::kSearchTextInitialText));
  txtTesto->setGeometry(Pixels(layout::kTxtTesto));

  lstFile = new QtListBox(this);
  lstFile->setObjectName(QStringLiteral("lstFile"));
  lstFile->setAccessibleName(FromUtf8(messages::kResultListName));
  lstFile->setGeometry(Pixels(layout::kLstFile));

  setTabOrder(txtPercorso, Command1);
  setTabOrder(Command1, txtTesto);
  setTabOrder(txtTesto, lstFile);
  txtPercorso->setFocus(Qt::OtherFocusReason);

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command1, &QPushButton::pressed, this, [this] { pressed_during_run_ = run_->running(); });
  connect(lstFile, &QtListBox::DblClick, this, &Form1::lstFile_DblClick);
  connect(lstFile, &QtListBox::EnterPressed, this, &Form1::lstFile_KeyEnter);
  connect(lstFile, &QtListBox::OpenAsked, this, &Form1::lstFile_DblClick);
  connect(lstFile, &QtListBox::CopyAsked, this, &Form1::lstFile_Copy);
}

void Form1::Command1_Click() {
  // A screen reader's "press" animates the button and clicks it a moment
  // later, from a timer: given during a run, the click would come after
  // it, for a window that took no input when it was given.
  if (std::exchange(pressed_during_run_, false)) return;
  run_->Run();
  CloseIfRequested();
}

void Form1::lstFile_DblClick() {
  OpenCurrentResult(*lstFile, message_box_, editor_);
  CloseIfRequested();
}

void Form1::lstFile_KeyEnter() {
  // The current row is the one that carries the focus mark.
  OpenMarkedResult(*lstFile, lstFile->ListIndex(), message_box_, editor_);
  CloseIfRequested();
}

void Form1::lstFile_Copy() {
  CopyCurrentResult(*lstFile, clipboard_, message_box_);
  CloseIfRequested();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (run_->RequestClose()) {
    QWidget::closeEvent(event);
  } else {
    event->ignore();
  }
}

void Form1::CloseIfRequested() {
  if (run_->close_requested()) close();
}

}  // namespace brenvo1::window
