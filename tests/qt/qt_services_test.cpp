// The Qt window services on their own: the result list's bytes and its
// repaint without the event loop, the pointer, and the message box.

#include <QApplication>
#include <QAbstractButton>
#include <QHelpEvent>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <stdexcept>

#include "window/qt/qt_application_pointer.h"
#include "window/qt/qt_list_box.h"
#include "window/qt/qt_message_box.h"
#include "window_test_support.h"

using brenvo1::window::MousePointer;
using brenvo1::window::QtApplicationPointer;
using brenvo1::window::QtListBox;
using brenvo1::window::QtMessageBox;
using brenvo1::testing::ShownBox;

class QtServicesTest : public QObject {
  Q_OBJECT

 private slots:
  void listKeepsRawBytesAndShowsThemAsText() {
    QtListBox list;
    const std::string latin1 = "/dati/\xe9t\xe9.txt";
    const std::string utf8 = "/dati/citt\xc3\xa0.txt";
    const std::string withNewline = std::string("/dati/a\nb.txt");
    list.AddItem(latin1);
    list.AddItem(utf8);
    list.AddItem(withNewline);
    QCOMPARE(list.ListCount(), 3);
    QCOMPARE(list.List(0), latin1);
    QCOMPARE(list.List(1), utf8);
    QCOMPARE(list.List(2), withNewline);
    const QString shown = list.model()->index(0, 0).data().toString();
    QCOMPARE(shown, QStringLiteral("/dati/\uFFFDt\uFFFD.txt"));
    QCOMPARE(list.model()->index(1, 0).data().toString(), QStringLiteral("/dati/città.txt"));
    QCOMPARE(list.model()->index(1, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("/dati/città.txt"));
  }

  // Paths are packed into shared blocks; long ones get blocks of their own
  // between them. Every item must come back byte for byte, after a Clear too.
  void listKeepsEveryPathAcrossItsStorageBlocks() {
    QtListBox list;
    std::vector<std::string> added;
    for (int round = 0; round < 2; ++round) {
      list.Clear();
      added.clear();
      for (int i = 0; i < 30000; ++i) {
        std::string path = "/dati/" + std::string(static_cast<std::size_t>(i % 97), 'a') + std::to_string(i);
        if (i == 7000) path = std::string(600000, 'L') + "/lungo.txt";
        if (i == 0 || i == 7001) path.clear();
        list.AddItem(path);
        added.push_back(std::move(path));
      }
      QCOMPARE(list.ListCount(), 30000);
      for (int i = 0; i < 30000; ++i) {
        if (list.List(i) != added[static_cast<std::size_t>(i)]) QFAIL(qPrintable(QStringLiteral("item %1").arg(i)));
      }
    }
  }

  // A row shows the start and the end of a very long path, and the view
  // elides only that at each paint; the item itself keeps every byte.
  void veryLongPathShowsItsStartAndEnd() {
    QtListBox list;
    // A two-byte character across each place where the shown text is cut.
    std::string path = "/" + std::string(2046, 'a') + "\xc3\xa0";
    path += std::string(1000000, 'b');
    path += "\xc3\xa0" + std::string(2031, 'c') + "/nome finale.txt";
    list.AddItem(path);
    QCOMPARE(list.List(0), path);
    const QString shown = list.model()->index(0, 0).data().toString();
    QVERIFY(shown.size() <= 4096);
    QVERIFY(shown.startsWith(QStringLiteral("/aaaa")));
    QVERIFY(shown.endsWith(QStringLiteral("cc/nome finale.txt")));
    QVERIFY(shown.contains(QChar(0x2026)));
    QVERIFY(!shown.contains(QChar(0xFFFD)));
    QCOMPARE(list.model()->index(0, 0).data(Qt::ToolTipRole).toString().size(), QString::fromStdString(path).size());
  }

  // A path wider than the list is shortened in the middle, its file name
  // whole, rather than scrolled to: every row is as wide as the list. Only
  // a shortened row has a tip, its whole path.
  void longRowIsAsWideAsTheList() {
    QtListBox list;
    list.resize(300, 100);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const std::string path = "/dati/" + std::string(200, 'a') + "/nome finale.txt";
    list.AddItem("/dati/corto.txt");
    list.AddItem(path);
    list.Refresh();
    QVERIFY(!list.horizontalScrollBar()->isVisible());
    QCOMPARE(list.visualRect(list.model()->index(1, 0)).width(), list.viewport()->width());
    QCOMPARE(list.ShownRow(0), QStringLiteral("/dati/corto.txt"));
    const QString shown = list.ShownRow(1);
    QVERIFY2(shown.startsWith(QStringLiteral("/dati/aa")) && shown.endsWith(QStringLiteral("…/nome finale.txt")),
             qPrintable(shown));
    QVERIFY(list.fontMetrics().horizontalAdvance(shown) < list.viewport()->width());
    QStringList tips;
    for (const int row : {0, 1}) {
      const QPoint place = list.visualRect(list.model()->index(row, 0)).center();
      QHelpEvent asked(QEvent::ToolTip, place, list.viewport()->mapToGlobal(place));
      QApplication::sendEvent(list.viewport(), &asked);
      tips << QToolTip::text();
    }
    QCOMPARE(tips, (QStringList{QString(), QString::fromStdString(path)}));
  }

  void listIndexAndSelectionFollowTheView() {
    QtListBox list;
    QCOMPARE(list.ListIndex(), -1);
    list.AddItem("a");
    list.AddItem("b");
    list.setCurrentIndex(list.model()->index(1, 0));
    QCOMPARE(list.ListIndex(), 1);
    QVERIFY(list.Selected(1));
    QVERIFY(!list.Selected(0));
    list.Clear();
    QCOMPARE(list.ListIndex(), -1);
    QCOMPARE(list.ListCount(), 0);
  }

  void indexesOutsideTheListThrow() {
    QtListBox list;
    list.AddItem("a");
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.List(1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.List(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, list.Selected(1));
  }

  void paintWithoutEventLoopShowsTheScrollBarOnceNeeded() {
    QtListBox list;
    list.resize(300, 100);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(!list.verticalScrollBar()->isVisible());
    for (int i = 0; i < 100; ++i) list.AddItem("item " + std::to_string(i));
    list.Refresh();
    QVERIFY(list.verticalScrollBar()->isVisible());
    QCOMPARE(list.verticalScrollBar()->maximum() > 0, true);
  }

  void pointerIsAValueNotAStack() {
    QtApplicationPointer pointer;
    pointer.SetMousePointer(MousePointer::Hourglass);
    QVERIFY(QGuiApplication::overrideCursor() != nullptr);
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    pointer.SetMousePointer(MousePointer::Hourglass);
    pointer.SetMousePointer(MousePointer::Default);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    pointer.SetMousePointer(MousePointer::Default);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  void messageBoxListsTheDetailsOnePerLine() {
    QWidget parent;
    QtMessageBox messageBox(&parent);
    QString title;
    QString text;
    QString details;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QTimer::singleShot(0, [&] {
      if (auto* box = ShownBox()) {
        title = box->windowTitle();
        text = box->text();
        details = box->detailedText();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
      }
    });
    const std::vector<std::string> skipped = {"/dati/chiusa", "/dati/\xff.txt"};
    messageBox.Show("File o cartelle non leggibili: 2", skipped);
    QCOMPARE(title, QStringLiteral("Brenvo1"));
    QCOMPARE(text, QStringLiteral("File o cartelle non leggibili: 2"));
    QCOMPARE(details, QStringLiteral("/dati/chiusa\n/dati/\uFFFD.txt"));
    QCOMPARE(icon, QMessageBox::NoIcon);
  }

  // The details button says the window's own words, whatever Qt's
  // translations: the same as the Windows box's.
  void messageBoxDetailsButtonHasTheWindowsCaptions() {
    QtMessageBox messageBox(nullptr);
    QStringList captions;
    bool wideEnough = false;
    QTimer::singleShot(0, [&] {
      if (auto* box = ShownBox()) {
        for (QAbstractButton* button : box->buttons()) {
          if (box->buttonRole(button) != QMessageBox::ActionRole) continue;
          captions << button->text();
          button->click();
          captions << button->text();
          wideEnough = button->width() >= button->fontMetrics().horizontalAdvance(button->text());
          button->click();
          captions << button->text();
        }
        box->button(QMessageBox::Ok)->click();
      }
    });
    const std::vector<std::string> skipped = {"/dati/chiusa"};
    messageBox.Show("File o cartelle non leggibili: 1", skipped);
    QCOMPARE(captions, (QStringList{QStringLiteral("Mostra dettagli..."), QStringLiteral("Nascondi dettagli..."),
                                    QStringLiteral("Mostra dettagli...")}));
    QVERIFY(wideEnough);
  }

  void messageBoxShowsMarkupAsPlainText() {
    QtMessageBox messageBox(nullptr);
    Qt::TextFormat format = Qt::RichText;
    QString text;
    QTimer::singleShot(0, [&] {
      if (auto* box = ShownBox()) {
        format = box->textFormat();
        text = box->text();
        box->accept();
      }
    });
    messageBox.Show("<b>/dati/x.txt</b>");
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(text, QStringLiteral("<b>/dati/x.txt</b>"));
  }
};

QTEST_MAIN(QtServicesTest)
#include "qt_services_test.moc"
