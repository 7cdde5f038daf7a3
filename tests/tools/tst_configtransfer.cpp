// znscan-cli config get and config put with simulated controllers: the file
// written holds the device's registry with the defaults a download adds, an
// upload leaves the device holding exactly the file's registry, and a failed
// download leaves no file and never touches an existing one.
#include "devicefiles.h"
#include "privatenetwork.h"
#include "simulatorprocess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The devices of `znsim --count 3 --seed 5`.
const QString kFirst = QStringLiteral("02:5A:4E:05:00:01");
const QString kSecond = QStringLiteral("02:5A:4E:05:00:02");
const QString kDenying = QStringLiteral("02:5A:4E:05:00:03");

struct Run {
    int exitCode = -1;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("ZNSCAN_CLI"), QStringList{"config"} + args);
    Run run;
    if (process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestConfigTransfer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SimulatorProcess m_devices;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString deviceDir() const { return path(QStringLiteral("devices")); }

private Q_SLOTS:
    void initTestCase()
    {
        ZN_REQUIRE_PRIVATE_NETWORK();
        QVERIFY(m_dir.isValid() && QDir(m_dir.path()).mkdir(QStringLiteral("devices")));
        QVERIFY(m_devices.start(1, {"--count", "3", "--seed", "5", "--duration", "0", "--save-dir", deviceDir(),
                                    "--deny", kDenying}));
    }

    void getPutRoundTrip()
    {
        const QString first = path(QStringLiteral("first.znc"));
        QCOMPARE(cli({"get", kFirst, first}).exitCode, 0);
        QCOMPARE(blobOfFile(first), withDefaults(blobOfFile(deviceFile(deviceDir(), kFirst))));

        QCOMPARE(cli({"put", kSecond, first}).exitCode, 0);
        QTRY_COMPARE(contents(deviceFile(deviceDir(), kSecond)), contents(first));
        const QString second = path(QStringLiteral("second.znc"));
        QCOMPARE(cli({"get", kSecond, second}).exitCode, 0);
        QCOMPARE(contents(second), contents(first));
    }

    void failedGetLeavesNoFile()
    {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("failed")));
        const QString existing = path(QStringLiteral("failed/existing.znc"));
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
        file.close();
        for (const QString &target : {existing, path(QStringLiteral("failed/new.znc"))}) {
            const Run run = cli({"get", kDenying, target});
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err, "Config transfer denied by " + kDenying + "\n");
        }
        QCOMPARE(contents(existing), QByteArray("keep me"));
        QCOMPARE(QDir(path(QStringLiteral("failed"))).entryList(QDir::Files), QStringList{"existing.znc"});
    }
};

QTEST_GUILESS_MAIN(TestConfigTransfer)
#include "tst_configtransfer.moc"
