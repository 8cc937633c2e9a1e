// The window as the user first sees it: places, texts, names, focus order,
// and which keys start a search.

#include <QApplication>
#include <QTest>

#include "window_test_support.h"

using brenvo1::testing::DesktopForm1;
using brenvo1::testing::Form1Controls;
using brenvo1::testing::WriteFile;
using brenvo1::window::Form1;

class Form1LayoutTest : public QObject {
  Q_OBJECT

 private:
  // A folder with one hit, typed into the window, so that any search that
  // starts leaves a visible trace in the list.
  void PrepareSearch(Form1Controls& controls, QTemporaryDir& folder) {
    WriteFile(folder.path().toStdString(), "hit.txt", "ciao");
    controls.txtPercorso->setText(folder.path());
    controls.txtTesto->setText(QStringLiteral("ciao"));
  }

  void ShowActive(Form1& form) {
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
  }

 private slots:
  void windowAndControlsHaveTheirPlacesAndTexts() {
    DesktopForm1 form;
    Form1Controls controls(form);
    QCOMPARE(form.windowTitle(), QStringLiteral("Scandilo"));
    QCOMPARE(form.size(), QSize(465, 542));
    QCOMPARE(controls.txtPercorso->geometry(), QRect(8, 8, 353, 25));
    QCOMPARE(controls.Command1->geometry(), QRect(376, 40, 73, 25));
    QCOMPARE(controls.txtTesto->geometry(), QRect(8, 40, 353, 25));
    QCOMPARE(controls.lstFile->geometry(), QRect(8, 80, 449, 446));
    QCOMPARE(controls.txtPercorso->text(), QStringLiteral("Percorso"));
    QCOMPARE(controls.txtTesto->text(), QStringLiteral("Testo"));
    QCOMPARE(controls.Command1->text(), QStringLiteral("Trova"));
    QCOMPARE(controls.lstFile->ListCount(), 0);
    QCOMPARE(controls.lstFile->ListIndex(), -1);
  }

  void controlsHaveAccessibleNames() {
    DesktopForm1 form;
    Form1Controls controls(form);
    QCOMPARE(controls.txtPercorso->accessibleName(), QStringLiteral("Percorso"));
    QCOMPARE(controls.txtTesto->accessibleName(), QStringLiteral("Testo"));
    QCOMPARE(controls.Command1->accessibleName(), QStringLiteral("Trova"));
    QCOMPARE(controls.lstFile->accessibleName(), QStringLiteral("Risultati"));
  }

  void textBoxesHoldOneLineWithoutLimitAndListSelectsOne() {
    DesktopForm1 form;
    Form1Controls controls(form);
    const QString longText(70000, QLatin1Char('x'));
    controls.txtPercorso->setText(longText);
    controls.txtTesto->setText(longText);
    QCOMPARE(controls.txtPercorso->text(), longText);
    QCOMPARE(controls.txtTesto->text(), longText);
    QCOMPARE(controls.lstFile->selectionMode(), QAbstractItemView::SingleSelection);
  }

  void focusStartsOnThePathAndTabReachesTheButtonBeforeTheText() {
    DesktopForm1 form;
    Form1Controls controls(form);
    ShowActive(form);
    QCOMPARE(QApplication::focusWidget(), controls.txtPercorso);
    const QList<QWidget*> expected = {controls.Command1, controls.txtTesto, controls.lstFile, controls.txtPercorso};
    for (QWidget* next : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), next);
    }
  }

  void resizingMovesAndGrowsNoControl() {
    DesktopForm1 form;
    Form1Controls controls(form);
    form.show();
    for (const QSize& size : {QSize(1200, 900), QSize(200, 150), QSize(465, 542)}) {
      form.resize(size);
      QCoreApplication::processEvents();
      QCOMPARE(form.size(), size);
      QCOMPARE(controls.txtPercorso->geometry(), QRect(8, 8, 353, 25));
      QCOMPARE(controls.Command1->geometry(), QRect(376, 40, 73, 25));
      QCOMPARE(controls.txtTesto->geometry(), QRect(8, 40, 353, 25));
      QCOMPARE(controls.lstFile->geometry(), QRect(8, 80, 449, 446));
    }
  }

  void enterInATextBoxStartsNoSearch() {
    QTemporaryDir folder;
    DesktopForm1 form;
    Form1Controls controls(form);
    PrepareSearch(controls, folder);
    ShowActive(form);
    for (QWidget* box : {static_cast<QWidget*>(controls.txtPercorso), static_cast<QWidget*>(controls.txtTesto)}) {
      box->setFocus();
      QTRY_COMPARE(QApplication::focusWidget(), box);
      QTest::keyClick(box, Qt::Key_Return);
      QTest::keyClick(box, Qt::Key_Enter);
      QCOMPARE(controls.lstFile->ListCount(), 0);
    }
    // The button was focused and left in between: it must not have become
    // the window's default for Enter.
    controls.Command1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), controls.Command1);
    controls.txtTesto->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), controls.txtTesto);
    QTest::keyClick(controls.txtTesto, Qt::Key_Return);
    QCOMPARE(controls.lstFile->ListCount(), 0);
  }

  void spaceOrEnterOnTheFocusedButtonStartsASearch_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("return") << int(Qt::Key_Return);
    QTest::newRow("enter") << int(Qt::Key_Enter);
  }

  void spaceOrEnterOnTheFocusedButtonStartsASearch() {
    QFETCH(int, key);
    QTemporaryDir folder;
    DesktopForm1 form;
    Form1Controls controls(form);
    PrepareSearch(controls, folder);
    ShowActive(form);
    controls.Command1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), controls.Command1);
    QTest::keyClick(controls.Command1, static_cast<Qt::Key>(key));
    QCOMPARE(controls.lstFile->ListCount(), 1);
  }
};

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
