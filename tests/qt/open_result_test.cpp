// A double-click, Enter and Ctrl+C on the result list: which item reaches
// the editor or the clipboard, with which bytes, and when nothing is
// started at all.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/posix/posix_file_system.h"
#include "window_test_support.h"

using brenvo1::testing::DesktopForm1;
using brenvo1::testing::Form1Controls;
using brenvo1::testing::RecordingLauncher;
using brenvo1::testing::StandInEditor;
using brenvo1::testing::WriteFile;
using brenvo1::window::Form1;

namespace {

void DoubleClickRow(brenvo1::window::QtListBox* list, int row) {
  const QModelIndex index = list->model()->index(row, 0);
  list->scrollTo(index);
  const QPoint centre = list->visualRect(index).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
}

// A shown window whose results open through a recording launcher.
struct RecordingForm {
  RecordingForm() { form.show(); }
  RecordingLauncher launcher;
  Form1 form{launcher, [] { return std::make_unique<brenvo1::platform::posix::PosixFileSystem>(); }};
  Form1Controls controls{form};
  brenvo1::window::QtListBox* lstFile = controls.lstFile;
};

// A point of the list's viewport below its last item.
QPoint BelowTheItems(brenvo1::window::QtListBox* list) {
  return QPoint(list->viewport()->width() / 2, list->viewport()->height() - 3);
}

}  // namespace

class OpenResultTest : public QObject {
  Q_OBJECT

 private slots:
  void doubleClickStartsTheEditorWithTheExactPathAsItsOnlyArgument() {
    StandInEditor editor;
    QVERIFY(editor.IsValid());
    QTemporaryDir tree;
    const std::string root = tree.path().toStdString();
    // Spaces, quotes, a command substitution and bytes that are not UTF-8:
    // the editor must get them as they are, and no shell may run the
    // substitution.
    const std::string oddName = "a 'b' \"c\" $(touch pwned) `touch pwned2` \xe9t\xe9 \xff.txt";
    WriteFile(root, oddName, "ciao");
    WriteFile(root, "z plain.txt", "ciao");

    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    controls.txtPercorso->setText(tree.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    controls.Command1->click();
    QCOMPARE(controls.lstFile->ListCount(), 2);
    QCOMPARE(controls.lstFile->List(0), root + "/" + oddName);
    // Shown with replacement characters, opened with the real bytes.
    QVERIFY(controls.lstFile->model()->index(0, 0).data().toString().contains(QChar::ReplacementCharacter));

    const QString previousFolder = QDir::currentPath();
    QDir::setCurrent(tree.path());
    DoubleClickRow(controls.lstFile, 0);
    QTRY_COMPARE(editor.Starts().size(), std::size_t{1});
    QDir::setCurrent(previousFolder);

    QCOMPARE(editor.Starts().front(), std::vector<std::string>{root + "/" + oddName});
    QVERIFY(!QFile::exists(tree.filePath(QStringLiteral("pwned"))));
    QVERIFY(!QFile::exists(tree.filePath(QStringLiteral("pwned2"))));
  }

  void secondDoubleClickStartsASecondEditor() {
    StandInEditor editor;
    QTemporaryDir tree;
    const std::string root = tree.path().toStdString();
    WriteFile(root, "one.txt", "ciao");
    WriteFile(root, "two.txt", "ciao");
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    controls.txtPercorso->setText(tree.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
    controls.Command1->click();

    DoubleClickRow(controls.lstFile, 1);
    QTRY_COMPARE(editor.Starts().size(), std::size_t{1});
    DoubleClickRow(controls.lstFile, 0);
    QTRY_COMPARE(editor.Starts().size(), std::size_t{2});
    std::vector<std::string> opened;
    for (const auto& start : editor.Starts()) {
      QCOMPARE(start.size(), std::size_t{1});
      opened.push_back(start.front());
    }
    std::sort(opened.begin(), opened.end());
    QCOMPARE(opened, (std::vector<std::string>{root + "/one.txt", root + "/two.txt"}));
  }

  void emptyListOpensNothing() {
    RecordingForm f;
    QTest::mouseDClick(f.lstFile->viewport(), Qt::LeftButton, {}, BelowTheItems(f.lstFile));
    f.form.lstFile_DblClick();
    QVERIFY(f.launcher.opened.empty());
  }

  void listWithNoCurrentItemOpensNothing() {
    RecordingForm f;
    f.lstFile->AddItem("/tmp/one.txt");
    f.lstFile->AddItem("/tmp/two.txt");
    QCOMPARE(f.lstFile->ListIndex(), -1);
    QTest::mouseDClick(f.lstFile->viewport(), Qt::LeftButton, {}, BelowTheItems(f.lstFile));
    f.form.lstFile_DblClick();
    QVERIFY(f.launcher.opened.empty());
  }

  void currentItemThatIsNotSelectedOpensOnlyOnEnter() {
    RecordingForm f;
    f.lstFile->AddItem("/tmp/one.txt");
    f.lstFile->AddItem("/tmp/due città & co.txt");
    f.lstFile->selectionModel()->setCurrentIndex(f.lstFile->model()->index(1, 0),
                                                        QItemSelectionModel::NoUpdate);
    QCOMPARE(f.lstFile->ListIndex(), 1);
    QVERIFY(!f.lstFile->Selected(1));
    f.form.lstFile_DblClick();
    QTest::keyClick(f.lstFile, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(f.launcher.opened.empty());
    QVERIFY(QGuiApplication::clipboard()->text() != QStringLiteral("/tmp/due città & co.txt"));

    // Enter opens the row that carries the focus mark, selected or not;
    // Ctrl+C copies only a selected one, whole.
    QTest::keyClick(f.lstFile, Qt::Key_Return);
    f.lstFile->selectionModel()->select(f.lstFile->model()->index(1, 0), QItemSelectionModel::Select);
    QTest::keyClick(f.lstFile, Qt::Key_Enter);
    QCOMPARE(f.launcher.opened, (std::vector<std::string>{"/tmp/due città & co.txt", "/tmp/due città & co.txt"}));
    QTest::keyClick(f.lstFile, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/tmp/due città & co.txt"));
  }

  void doubleClickBelowTheItemsOpensTheCurrentSelectedItem() {
    RecordingForm f;
    f.lstFile->AddItem("/tmp/one.txt");
    f.lstFile->AddItem("/tmp/two.txt");
    f.lstFile->setCurrentIndex(f.lstFile->model()->index(0, 0));
    QTest::mouseDClick(f.lstFile->viewport(), Qt::LeftButton, {}, BelowTheItems(f.lstFile));
    QCOMPARE(f.launcher.opened, std::vector<std::string>{"/tmp/one.txt"});
  }

  void lastOfFortyThousandItemsOpensTheRightFile() {
    RecordingForm f;
    for (int i = 0; i < 40000; ++i) f.lstFile->AddItem("/dati/file" + std::to_string(i) + ".txt");
    f.lstFile->Refresh();
    DoubleClickRow(f.lstFile, 39999);
    QCOMPARE(f.lstFile->ListIndex(), 39999);
    QCOMPARE(f.launcher.opened, std::vector<std::string>{"/dati/file39999.txt"});
  }

  void noEditorOnPathShowsTheBox() {
    QTemporaryDir emptyFolder;
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", emptyFolder.path().toUtf8());
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    controls.lstFile->AddItem("/tmp/one.txt");
    QString title;
    QString text;
    QTimer::singleShot(0, [&] {
      if (auto* box = brenvo1::testing::ShownBox()) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
      }
    });
    DoubleClickRow(controls.lstFile, 0);
    qputenv("PATH", savedPath);
    QCOMPARE(title, QStringLiteral("Brenvo1"));
    QCOMPARE(text, QStringLiteral("Impossibile avviare l'editor di testo"));
  }
};

QTEST_MAIN(OpenResultTest)
#include "open_result_test.moc"
