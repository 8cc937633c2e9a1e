// A click on "Trova" in the real window: the list it leaves, and the box
// for a folder that does not exist.

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/posix/posix_file_system.h"
#include "window_test_support.h"

using brenvo1::platform::FileSystemService;
using brenvo1::testing::DesktopForm1;
using brenvo1::testing::Form1Controls;
using brenvo1::testing::RecordingLauncher;
using brenvo1::testing::WriteFile;
using brenvo1::window::Form1;

namespace {

struct BoxSeen {
  bool shown = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::Information;
  qsizetype buttonCount = 0;
  bool okButton = false;
  bool busyPointer = false;
  bool modal = false;
};

// Whether keys typed into the window while a box is shown are dropped.
bool WindowTakesNoInput(QWidget* form) {
  auto* text = form->findChild<QLineEdit*>(QStringLiteral("txtTesto"));
  const QString before = text->text();
  QTest::keyClicks(text, QStringLiteral("xyz"));
  return text->text() == before;
}

// Looks at the box from inside its own event loop, then closes it with its
// OK button, as the user would.
void LookAtNextBox(BoxSeen& seen, QWidget* form = nullptr) {
  QTimer::singleShot(0, [&seen, form] {
    auto* box = brenvo1::testing::ShownBox();
    if (box == nullptr) return;
    seen.shown = true;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttonCount = box->buttons().size();
    seen.okButton = box->button(QMessageBox::Ok) != nullptr;
    seen.modal = form != nullptr && WindowTakesNoInput(form);
    const QCursor* pointer = QGuiApplication::overrideCursor();
    seen.busyPointer = pointer != nullptr && pointer->shape() == Qt::WaitCursor;
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
      ok->click();
    } else {
      box->reject();
    }
  });
}

// A file system that fails in a way the engine does not expect.
class BrokenFileSystem : public FileSystemService {
 public:
  bool FolderExists(std::string_view) override { throw std::runtime_error("disco guasto"); }
  brenvo1::platform::OpenedFolder GetFolder(std::string_view) override {
    throw std::runtime_error("disco guasto");
  }
};

}  // namespace

class Form1SearchTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir tree_;
  std::string root_;

 private slots:
  void initTestCase() {
    QVERIFY(tree_.isValid());
    root_ = tree_.path().toStdString();
    WriteFile(root_, "b.txt", "nothing to see");
    WriteFile(root_, "a.txt", "xx CIAO xx");
    WriteFile(root_, "c.log", "ciao, but not a candidate");
    WriteFile(root_, "sub/b.bas", "Ciao");
    WriteFile(root_, "sub/empty.txt", "");
    WriteFile(root_, "another/z.frm", "ciao");
  }

  void clickListsTheHitsInScanOrder() {
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    controls.txtPercorso->setText(tree_.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    QTest::mouseClick(controls.Command1, Qt::LeftButton);
    const std::vector<std::string> expected = {root_ + "/a.txt", root_ + "/another/z.frm", root_ + "/sub/b.bas"};
    QCOMPARE(controls.Items(), expected);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  void secondRunReplacesTheFirst() {
    DesktopForm1 form;
    Form1Controls controls(form);
    controls.txtPercorso->setText(tree_.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    controls.Command1->click();
    const std::vector<std::string> first = controls.Items();
    QCOMPARE(first.size(), std::size_t{3});
    controls.Command1->click();
    QCOMPARE(controls.Items(), first);

    controls.txtTesto->setText(QString());
    controls.Command1->click();
    QCOMPARE(controls.Items().size(), std::size_t{4});  // every non-empty candidate
  }

  void missingFolderShowsTheBoxWhileBusyAndEmptiesTheList() {
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    controls.txtPercorso->setText(tree_.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    controls.Command1->click();
    QVERIFY(controls.lstFile->ListCount() > 0);

    controls.txtPercorso->setText(tree_.path() + QStringLiteral("/nowhere"));
    BoxSeen seen;
    LookAtNextBox(seen, &form);
    controls.Command1->click();

    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Brenvo1"));
    QCOMPARE(seen.text, QStringLiteral("Impossibile trovare il percorso"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttonCount, 1);
    QVERIFY(seen.okButton);
    QVERIFY(seen.modal);
    QVERIFY(seen.busyPointer);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(controls.lstFile->ListCount(), 0);
  }

  void fileSystemIsMadeByTheFirstSearchAndKept() {
    RecordingLauncher launcher;
    int made = 0;
    Form1 form(launcher, [&made] {
      ++made;
      return std::make_unique<brenvo1::platform::posix::PosixFileSystem>();
    });
    Form1Controls controls(form);
    QCOMPARE(made, 0);
    controls.txtPercorso->setText(tree_.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    controls.Command1->click();
    controls.Command1->click();
    QCOMPARE(made, 1);
    QCOMPARE(controls.lstFile->ListCount(), 3);
  }

  void unexpectedFailureIsShownAndLeavesTheWindowUsable() {
    RecordingLauncher launcher;
    Form1 form(launcher, [] { return std::make_unique<BrokenFileSystem>(); });
    Form1Controls controls(form);
    form.show();
    controls.txtPercorso->setText(tree_.path());
    BoxSeen seen;
    LookAtNextBox(seen);
    controls.Command1->click();
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Brenvo1"));
    QCOMPARE(seen.text, QStringLiteral("Errore durante la ricerca: disco guasto"));
    QCOMPARE(seen.buttonCount, 1);
    QVERIFY(!seen.busyPointer);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(controls.lstFile->ListCount(), 0);
  }

  void aFileNotAFolderIsAMissingFolder() {
    DesktopForm1 form;
    Form1Controls controls(form);
    controls.txtPercorso->setText(tree_.path() + QStringLiteral("/a.txt"));
    BoxSeen seen;
    LookAtNextBox(seen);
    controls.Command1->click();
    QVERIFY(seen.shown);
    QCOMPARE(seen.text, QStringLiteral("Impossibile trovare il percorso"));
  }

  void folderPathWithNonAsciiTextReachesTheEngineAsUtf8() {
    QTemporaryDir folder;
    const std::string accented = folder.path().toStdString() + "/perch\xc3\xa9 citt\xc3\xa0";
    WriteFile(accented, "nota.txt", "ciao");
    DesktopForm1 form;
    Form1Controls controls(form);
    controls.txtPercorso->setText(QString::fromUtf8(accented.c_str()));
    controls.txtTesto->setText(QStringLiteral("CIAO"));
    controls.Command1->click();
    QCOMPARE(controls.Items(), std::vector<std::string>{accented + "/nota.txt"});
  }

  // A close request reaches the window during a run, which ends quietly at
  // its first look at the desktop (within the folder's listing, before its
  // first file) instead of searching on or reporting a failure; the window
  // then closes.
  void closingTheWindowAbandonsTheRun() {
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    for (int i = 0; i < 5; ++i) WriteFile(root, "f" + std::to_string(i) + ".txt", "ciao");
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    controls.txtPercorso->setText(folder.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
    BoxSeen seen;
    QTimer boxWatch;
    boxWatch.callOnTimeout([&seen] {
      if (QMessageBox* box = brenvo1::testing::ShownBox()) {
        seen.shown = true;
        box->close();
      }
    });
    boxWatch.start(50);

    controls.Command1->click();

    QVERIFY(!form.isVisible());
    QCOMPARE(controls.lstFile->ListCount(), 0);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(!seen.shown);
  }

  // A close request while the end-of-run box is shown dismisses the box and
  // closes the window (the real X server test sends the window manager's).
  void closingTheWindowDuringItsBoxClosesBoth() {
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    controls.txtPercorso->setText(tree_.path() + QStringLiteral("/nowhere"));
    bool boxShown = false;
    QTimer::singleShot(0, [&] {
      boxShown = brenvo1::testing::ShownBox() != nullptr;
      form.close();
    });
    controls.Command1->click();
    QVERIFY(boxShown);
    QCOMPARE(brenvo1::testing::ShownBox(), nullptr);
    QVERIFY(!form.isVisible());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  void searchTextIsReadAsTypedWithAccents() {
    QTemporaryDir folder;
    const std::string root = folder.path().toStdString();
    WriteFile(root, "latin.txt", "Perch\xc8 no");  // Windows-1252 upper-case E grave
    WriteFile(root, "plain.txt", "Perche no");
    DesktopForm1 form;
    Form1Controls controls(form);
    controls.txtPercorso->setText(folder.path());
    controls.txtTesto->setText(QStringLiteral("perchè"));
    controls.Command1->click();
    QCOMPARE(controls.Items(), std::vector<std::string>{root + "/latin.txt"});
  }
};

QTEST_MAIN(Form1SearchTest)
#include "form1_search_test.moc"
