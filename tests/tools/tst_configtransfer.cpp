// znscan-cli config get and config put with simulated controllers: the file
// written holds the device's registry with the defaults a download adds, an
// upload leaves the device holding exactly the file's registry, and a failed
// download leaves no file and never touches an existing one. The fleet
// commands on the same devices: scan --csv, backup, put to several devices.
#include "devicefiles.h"
#include "privatenetwork.h"
#include "programrun.h"
#include "simulatorprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The devices of `znsim --count 3 --seed 5`.
const QString kFirst = QStringLiteral("02:5A:4E:05:00:01");
const QString kSecond = QStringLiteral("02:5A:4E:05:00:02");
const QString kDenying = QStringLiteral("02:5A:4E:05:00:03");

// A device whose texts need quoting in CSV.
const QString kQuoted = QStringLiteral("02:5A:4E:05:00:09");
const QByteArray kQuotedJson = "[{\"mac\": \"02:5A:4E:05:00:09\", \"boardName\": \"x,y\", \"remark\": \"a,\\\"b\\\"\\r\\nc\"}]";

ProgramRun run(const QStringList &args)
{
    return runProgram(qEnvironmentVariable("ZNSCAN_CLI"), args);
}

QString jsonText(const QJsonValue &value)
{
    return value.isDouble() ? QString::number(value.toInteger()) : value.toVariant().toString();
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
        QFile quoted(path(QStringLiteral("quoted.json")));
        QVERIFY(quoted.open(QIODevice::WriteOnly) && quoted.write(kQuotedJson) == kQuotedJson.size());
        quoted.close();
        QVERIFY(m_devices.start(1, {"--count", "3", "--seed", "5", "--duration", "0", "--save-dir", deviceDir(),
                                    "--deny", kDenying, "--devices", quoted.fileName(), "--spread", "50"}));
    }

    // The simulator's device list stands for a file that a failed get must
    // leave alone; it is the only file so far.
    void failedGetLeavesNoFile()
    {
        const QString existing = path(QStringLiteral("quoted.json"));
        for (const QString &target : {existing, path(QStringLiteral("new.znc"))}) {
            const ProgramRun failed = run({"config", "get", kDenying, target});
            QCOMPARE(failed.exitCode, 1);
            QCOMPARE(failed.err, "Config transfer denied by " + kDenying + "\n");
        }
        QCOMPARE(contents(existing), kQuotedJson);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"quoted.json"});
    }

    // Each device's record holds its JSON values, quoted as RFC 4180 wants;
    // the two scans list in the order of answers.
    void csvHoldsTheJsonValues()
    {
        const ProgramRun json = run({"scan", "--json", "--quiet", "--wait", "1000"});
        const ProgramRun csv = run({"scan", "--csv", "--quiet", "--wait", "1000"});
        QCOMPARE(csv.exitCode, 0);
        const QJsonArray devices = QJsonDocument::fromJson(json.out.toUtf8()).array();
        QCOMPARE(devices.size(), 4);
        const QStringList keys = csv.out.left(csv.out.indexOf("\r\n")).split(u',');
        QStringList sortedKeys = keys;
        sortedKeys.sort();
        QCOMPARE(sortedKeys, devices.first().toObject().keys());
        static const QRegularExpression special(QStringLiteral("[,\"\r\n]"));
        qsizetype size = keys.join(u',').size() + 2;
        for (const QJsonValue &device : devices) {
            QStringList fields;
            for (const QString &key : keys) {
                QString text = jsonText(device[key]);
                fields << (text.contains(special) ? u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"' : text);
            }
            const QString record = fields.join(u',') + QStringLiteral("\r\n");
            QVERIFY2(csv.out.contains(record), qPrintable(record));
            size += record.size();
        }
        QCOMPARE(csv.out.size(), size);
        QVERIFY(csv.out.contains("\"a,\"\"b\"\"\r\nc\""));
    }

    // Every device's file as config get writes it, the one that refuses named.
    void backupOfEveryDevice()
    {
        const QString dir = path(QStringLiteral("backup/new"));
        const ProgramRun backup = run({"backup", "--quiet", "--wait", "1000", dir});
        QCOMPARE(backup.exitCode, 1);
        QStringList lines = backup.out.split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, QStringList({kFirst + " ok", kSecond + " ok", kDenying + " failed: Config transfer denied by " + kDenying,
                                     kQuoted + " ok"}));
        QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 3);
        for (const QString &mac : {kFirst, kSecond, kQuoted})
            QCOMPARE(blobOfFile(deviceFile(dir, mac)), withDefaults(blobOfFile(deviceFile(deviceDir(), mac))));
    }

    // A file as config get writes it, put to several devices.
    void getThenPutToSeveralDevices()
    {
        const QString file = path(QStringLiteral("fleet.znc"));
        QCOMPARE(run({"config", "get", kQuoted, file}).exitCode, 0);
        QCOMPARE(blobOfFile(file), withDefaults(blobOfFile(deviceFile(deviceDir(), kQuoted))));
        const ProgramRun put = run({"config", "put", kFirst, kDenying, "2:5a:4e:5:0:2", kFirst, file});
        QCOMPARE(put.exitCode, 1);
        QCOMPARE(put.out.split('\n', Qt::SkipEmptyParts).size(), 3);
        QVERIFY(put.out.contains(kDenying + " failed: Config transfer denied by " + kDenying + "\n"));
        for (const QString &mac : {kFirst, kSecond}) {
            QVERIFY(put.out.contains(mac + " ok\n"));
            QTRY_COMPARE(contents(deviceFile(deviceDir(), mac)), contents(file));
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigTransfer)
#include "tst_configtransfer.moc"
