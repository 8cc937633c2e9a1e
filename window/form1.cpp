#include "window/form1.h"

#include <QCloseEvent>
#include <exception>
#include <stdexcept>
#include <string>

#include "platform/posix_file_system.h"
#include "platform/qt/input_drop.h"
#include "platform/window_texts.h"
#include "search/search_run.h"
#include "window/open_result.h"

namespace brenvo1::window {

namespace {

// Positions and sizes of the original form, in pixels at 15 twips each.
constexpr QRect kClientArea{228, 129, 465, 542};
constexpr QRect kPercorsoGeometry{8, 8, 353, 25};
constexpr QRect kCommand1Geometry{376, 40, 73, 25};
constexpr QRect kTestoGeometry{8, 40, 353, 25};
constexpr QRect kListGeometry{8, 80, 449, 446};

QString Text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), launcher_(&editor_launcher_) { SetUp(); }

Form1::Form1(platform::ProgramLauncher& launcher, FileSystemFactory createFileSystem, QWidget* parent)
    : QWidget(parent), launcher_(&launcher), create_file_system_(std::move(createFileSystem)) {
  SetUp();
}

Form1::~Form1() = default;

void Form1::SetUp() {
  if (!create_file_system_) create_file_system_ = [] { return std::make_unique<platform::PosixFileSystem>(); };
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Text(platform::texts::kWindowTitle));
  setGeometry(kClientArea);
  CreateControls();
}

void Form1::CreateControls() {
  // No layout: the controls keep their places and sizes when the window is
  // resized.
  txtPercorso = new platform::QtTextBox(this);
  txtPercorso->setObjectName(QStringLiteral("txtPercorso"));
  txtPercorso->setAccessibleName(Text(platform::texts::kFolderPathName));
  txtPercorso->setText(Text(platform::texts::kFolderPathInitialText));
  txtPercorso->setGeometry(kPercorsoGeometry);

  Command1 = new QPushButton(Text(platform::texts::kSearchButton), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setAccessibleName(Text(platform::texts::kSearchButtonName));
  Command1->setGeometry(kCommand1Geometry);
  // Enter on the focused button clicks it, as Space does; outside a dialog
  // Qt only does so for an auto-default button. It is not the window's
  // default button: Enter in a text box starts nothing.
  Command1->setAutoDefault(true);

  txtTesto = new platform::QtTextBox(this);
  txtTesto->setObjectName(QStringLiteral("txtTesto"));
  txtTesto->setAccessibleName(Text(platform::texts::kSearchTextName));
  txtTesto->setText(Text(platform::texts::kSearchTextInitialText));
  txtTesto->setGeometry(kTestoGeometry);

  lstFile = new platform::QtListBox(this);
  lstFile->setObjectName(QStringLiteral("lstFile"));
  lstFile->setAccessibleName(Text(platform::texts::kResultListName));
  lstFile->setGeometry(kListGeometry);

  setTabOrder(txtPercorso, Command1);
  setTabOrder(Command1, txtTesto);
  setTabOrder(txtTesto, lstFile);
  txtPercorso->setFocus(Qt::OtherFocusReason);

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(lstFile, &platform::QtListBox::DblClick, this, &Form1::lstFile_DblClick);
}

void Form1::Command1_Click() {
  // The window answers its desktop during a run but takes no input; a click
  // that still got through (an accessibility tool's "press") starts nothing.
  if (running_) return;
  running_ = true;
  lstFile->SetRunAbandoned(false);
  try {
    if (!file_system_) file_system_ = create_file_system_();
    if (!file_system_) throw std::runtime_error("servizio dei file non disponibile");
    const search::SearchControls controls{screen_, *txtPercorso, *txtTesto, *lstFile, message_box_};
    search::Command1_Click(controls, *file_system_);
  } catch (const platform::RunAbandoned&) {
    // The window is closed and the program ends: the run wrote nothing, so
    // nothing is lost.
    running_ = false;
    return;
  } catch (const std::exception& error) {
    ShowError(platform::texts::kSearchFailedMessage, error);
  }
  running_ = false;
  // Clicks and keys given while the run held the window were meant for a
  // window that could not take them.
  platform::DropPendingInput();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (running_) lstFile->SetRunAbandoned(true);
  QWidget::closeEvent(event);
}

void Form1::lstFile_DblClick() { OpenCurrentResult(Controls(), *launcher_); }

void Form1::ShowError(std::string_view prefix, const std::exception& error) {
  window::ShowError(Controls(), prefix, error);
}

window::ResultControls Form1::Controls() { return {screen_, *lstFile, message_box_}; }

}  // namespace brenvo1::window
