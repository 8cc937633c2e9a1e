// Starting the program where no window can be opened: one line, a failure
// status, and no crash.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

class ProgramStartTest : public QObject {
  Q_OBJECT

 private:
  struct Outcome {
    QProcess::ExitStatus status;
    int code;
    QByteArray errors;
    QByteArray output;
  };

  static Outcome Run(const QProcessEnvironment& environment, const QStringList& arguments = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRENVO1_PROGRAM), arguments);
    if (!process.waitForFinished(30000)) process.kill();
    return {process.exitStatus(), process.exitCode(), process.readAllStandardError(),
            process.readAllStandardOutput()};
  }

  static QProcessEnvironment WithoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
      environment.remove(QString::fromLatin1(name));
    return environment;
  }

  static void ExpectOneLineFailure(const Outcome& outcome) {
    QCOMPARE(outcome.status, QProcess::NormalExit);
    QVERIFY(outcome.code != 0);
    QCOMPARE(outcome.errors.count('\n'), 1);
    QVERIFY(outcome.errors.endsWith('\n'));
    QVERIFY(outcome.errors.startsWith("brenvo1: "));
    QVERIFY(outcome.output.isEmpty());
  }

 private slots:
  void withoutAnyDisplayItSaysSoAndFails() {
    const Outcome outcome = Run(WithoutDisplay());
    ExpectOneLineFailure(outcome);
    QVERIFY(outcome.errors.contains("DISPLAY"));
  }

  void argumentsCannotChooseAnotherPlatform() {
    const Outcome outcome = Run(WithoutDisplay(), {QStringLiteral("-platform"), QStringLiteral("offscreen")});
    ExpectOneLineFailure(outcome);
  }

  void displayThatCannotBeReachedFailsWithoutACoreDump() {
    int number = 917;
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))) ++number;
    QProcessEnvironment environment = WithoutDisplay();
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(number));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    const Outcome outcome = Run(environment);
    ExpectOneLineFailure(outcome);
    QVERIFY(outcome.errors.contains(QStringLiteral(":%1").arg(number).toUtf8()));
  }

  void platformThatDoesNotExistFailsWithoutACoreDump() {
    QProcessEnvironment environment = WithoutDisplay();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    ExpectOneLineFailure(Run(environment));
  }
};

QTEST_GUILESS_MAIN(ProgramStartTest)
#include "program_start_test.moc"
