// The command line of every program: --help on standard output with exit 0,
// --version from the CMake project, usage errors on standard error with exit
// 2, and the exit statuses of znscan-cli. Inside the harness only: a parser
// that let an argument through could start a scan or the window.
#include "privatenetwork.h"
#include "programrun.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

namespace {

// program: "znscan-cli" runs $ZNSCAN_CLI.
ProgramRun run(QString program, const QStringList &args)
{
    return runProgram(qEnvironmentVariable(qPrintable(program.toUpper().replace(u'-', u'_'))), args);
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ZN_REQUIRE_PRIVATE_NETWORK();
        // No display: a window that needed one for its command line would abort.
        qputenv("QT_QPA_PLATFORM", "none");
        QVERIFY(m_dir.isValid());
        QFile junk(m_dir.filePath(QStringLiteral("junk.znc")));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("FRMP but nothing more") > 0);
    }

    // With exit status 0 the pattern is for standard output, otherwise for
    // standard error; the other stream stays empty.
    void commandLines_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("pattern");

        const QString version = QRegularExpression::escape(QStringLiteral(ZN_VERSION));
        for (const char *name : {"znscan", "znscan-cli", "znsim", "znterm-dump"}) {
            const QString program = QLatin1String(name);
            QTest::addRow("%s --help", name) << program << QStringList{"--help"} << 0
                                             << QStringLiteral("^usage: %1 \\[options\\]").arg(program);
            QTest::addRow("%s -v", name) << program << QStringList{"-v"} << 0
                                         << QStringLiteral("^%1 %2\n$").arg(program, version);
            // An option unknown to the window may be Qt's, so QApplication, which
            // needs a platform, sees it first.
            const QStringList bogus = program == QLatin1String("znscan")
                ? QStringList{"-platform", "offscreen", "--bogus"} : QStringList{"--bogus"};
            QTest::addRow("%s --bogus", name) << program << bogus << 2
                                              << QStringLiteral("(^|\n)usage: %1 \\[options\\](.|\n)*\n%1: "
                                                                "Unknown option 'bogus'.\n$").arg(program);
        }

        const QString cli = QStringLiteral("znscan-cli");
        const QString file = m_dir.filePath(QStringLiteral("junk.znc"));
        QTest::newRow("commands listed") << cli << QStringList{"-h"} << 0
                                         << "^usage: znscan-cli \\[options\\] COMMAND(.|\n)*\n  scan (.|\n)*\n  config "
                                            "(.|\n)*\n  buzz (.|\n)*\n  reset ";
        QTest::newRow("config show --help") << cli << QStringList{"config", "show", "--help"} << 0
                                            << "^usage: znscan-cli config show \\[options\\] FILE.znc\n";
        QTest::newRow("no command") << cli << QStringList{} << 2 << "^usage: znscan-cli \\[options\\]";
        QTest::newRow("unknown command") << cli << QStringList{"buzzz"} << 2
                                         << "\nznscan-cli: Unknown command 'buzzz'.\n$";
        QTest::newRow("wait not a number") << cli << QStringList{"scan", "--wait", "soon"} << 2
                                           << "^usage: znscan-cli scan ";
        QTest::newRow("buzz without MAC") << cli << QStringList{"buzz"} << 2 << "^usage: znscan-cli buzz ";
        QTest::newRow("buzz, not a MAC") << cli << QStringList{"buzz", "12:34:zz"} << 2
                                         << "^usage: znscan-cli buzz (.|\n)*\nznscan-cli buzz: 12:34:zz is not a valid "
                                            "MAC address\n$";
        QTest::newRow("get, bad MAC") << cli << QStringList{"config", "get", "00:11:22:33:44:55:66", file} << 2
                                      << "^usage: znscan-cli config get (.|\n)*\nznscan-cli config get: Bad MAC "
                                         "address: 00:11:22:33:44:55:66\n$";
        QTest::newRow("put, refused file") << cli << QStringList{"config", "put", "00:11:22:33:44:55", file} << 3
                                           << ": This is not a configuration file.\n$";
        QTest::newRow("quiet scan, nobody answers") << cli << QStringList{"scan", "--quiet", "--wait", "0"} << 0
                                                    << "^$";
        QTest::newRow("bad size") << QStringLiteral("znterm-dump") << QStringList{"--cols", "1"} << 2
                                  << "^usage: znterm-dump \\[options\\] \\[FILE\\|-\\]";
        QTest::newRow("bad simulator value") << QStringLiteral("znsim") << QStringList{"--spread", "-1"} << 2
                                             << "^usage: znsim ";
        QTest::newRow("window argument") << QStringLiteral("znscan") << QStringList{"now"} << 2 << "^usage: znscan ";
    }

    void commandLines()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, pattern);
        const ProgramRun result = run(program, args);
        QCOMPARE(result.exitCode, exitCode);
        const QString &matched = exitCode == 0 ? result.out : result.err;
        QVERIFY2(QRegularExpression(pattern).match(matched).hasMatch(), qPrintable(matched));
        QCOMPARE(exitCode == 0 ? result.err : result.out, QString());
    }

    // Exit status 1: the port is held by a socket that shares it with nobody.
    void scanThatCannotStart()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 65533, QUdpSocket::DontShareAddress));
        QCOMPARE(run(QStringLiteral("znscan-cli"), {"scan", "--quiet", "--wait", "0"}).exitCode, 1);
        QCOMPARE(run(QStringLiteral("znscan-cli"), {"reset", "00:11:22:33:44:55"}).exitCode, 1);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
