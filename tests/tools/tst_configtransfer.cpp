// znscan-cli config get and config put with simulated controllers: the file
// written holds the device's registry with the defaults a download adds, an
// upload leaves the device holding exactly the file's registry, and a failed
// download leaves no file and never touches an existing one. The fleet
// commands on the same devices: scan --csv, backup, put to several devices.
#include "devicefiles.h"
#include "privatenetwork.h"
#include "simulatorprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("ZNSCAN_CLI"), args);
    Run run;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

Run cli(const QStringList &args)
{
    return run(QStringList{"config"} + args);
}

// RFC 4180 records, read independently of the writer.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows{{QString()}};
    bool quoted = false;
    const auto next = [&text](qsizetype i) { return i + 1 < text.size() ? text[i + 1] : QChar(); };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && next(i) == u'"')
            rows.last().last() += text[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u',')
            rows.last() << QString();
        else if (!quoted && c == u'\r' && next(i) == u'\n' && ++i)
            rows << QStringList{QString()};
        else
            rows.last().last() += c;
    }
    rows.removeLast(); // after the last line end
    return rows;
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

    void csvHoldsTheJsonValues()
    {
        const Run json = run({"scan", "--json", "--quiet", "--wait", "1000"});
        const Run csv = run({"scan", "--csv", "--quiet", "--wait", "1000"});
        QCOMPARE(csv.exitCode, 0);
        const QJsonArray devices = QJsonDocument::fromJson(json.out.toUtf8()).array();
        const QList<QStringList> rows = parseCsv(csv.out);
        QCOMPARE(devices.size(), 4);
        QCOMPARE(rows.size(), 1 + devices.size());
        QStringList keys = rows.first();
        std::sort(keys.begin(), keys.end());
        QCOMPARE(keys, devices.first().toObject().keys());
        QHash<QString, QJsonObject> byMac; // the two scans list in the order of answers
        for (const QJsonValue &device : devices)
            byMac.insert(device[QStringLiteral("mac")].toString(), device.toObject());
        const qsizetype macColumn = rows.first().indexOf(QStringLiteral("mac"));
        for (qsizetype row = 1; row < rows.size(); ++row) {
            const QJsonObject device = byMac.value(rows[row].value(macColumn));
            for (qsizetype column = 0; column < rows.first().size(); ++column)
                QCOMPARE(rows[row].value(column), jsonText(device.value(rows.first()[column])));
        }
        QVERIFY(csv.out.contains("\"a,\"\"b\"\"\r\nc\""));
    }

    // Every device's file as config get writes it, the one that refuses named.
    void backupOfEveryDevice()
    {
        const QString dir = path(QStringLiteral("backup/new"));
        const Run backup = run({"backup", "--quiet", "--wait", "1000", dir});
        QCOMPARE(backup.exitCode, 1);
        QStringList lines = backup.out.split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, QStringList({kFirst + " ok", kSecond + " ok", kDenying + " failed: Config transfer denied by " + kDenying,
                                     kQuoted + " ok"}));
        QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 3);
        for (const QString &mac : {kFirst, kSecond, kQuoted})
            QCOMPARE(blobOfFile(deviceFile(dir, mac)), withDefaults(blobOfFile(deviceFile(deviceDir(), mac))));
    }

    void putToSeveralDevices()
    {
        const QString file = path(QStringLiteral("fleet.znc"));
        QCOMPARE(cli({"get", kQuoted, file}).exitCode, 0);
        const Run put = cli({"put", kFirst, kDenying, "2:5a:4e:5:0:2", kFirst, file});
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
