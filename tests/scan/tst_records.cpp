// The device record: MAC text forms and netmask prefixes (the device list,
// the log lines and the reset command depend on them being exact), the texts
// that label a device, the comparison that decides whether an answer changes
// a listed device, and the registry buffer of a transfer.
#include "ipv4.h"
#include "mac.h"
#include "scanclientinfo.h"
#include "scanclientregistry.h"

#include <QTest>
#include <QTimeZone>

#include <functional>

namespace {

using Edit = std::function<void(ScanClientInfo &)>;

ScanClientInfo device(const Edit &edit = {})
{
    ScanClientInfo info;
    info.mac = Mac(0x00123456789A);
    info.board = 12;
    info.serial = 0x123456;
    info.made = QDateTime::fromSecsSinceEpoch(946684800, QTimeZone::utc()); // 2000-01-01 00:00 UTC
    if (edit)
        edit(info);
    return info;
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A fixed zone one hour east of UTC shows that dates are shown in local time.
    void initTestCase() { qputenv("TZ", "CET-1"); }

    // The list label: serial text (board name or number, serial bits 39..8),
    // version marks (low two digits first up to 9999) and the remark.
    void serialDescription_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("text");
        QTest::newRow("board number") << Edit() << "12-4660";
        QTest::newRow("bits above 39 dropped") << Edit([](ScanClientInfo &i) { i.serial = 0x123456789ABC; })
                                               << "12-878082202";
        QTest::newRow("unsigned") << Edit([](ScanClientInfo &i) { i.serial = ~0ull; i.board = ~0u; })
                                  << "4294967295-4294967295";
        QTest::newRow("equal versions once as D") << Edit([](ScanClientInfo &i) { i.versionS = i.versionD = 1234; })
                                                  << "12-4660 D3412";
        QTest::newRow("different versions") << Edit([](ScanClientInfo &i) { i.versionS = 1234; i.versionD = 507; })
                                            << "12-4660 S3412 D0705";
        QTest::newRow("9999 swapped") << Edit([](ScanClientInfo &i) { i.versionS = 9998; }) << "12-4660 S9899";
        QTest::newRow("10000 plain") << Edit([](ScanClientInfo &i) { i.versionS = 10000; }) << "12-4660 S10000";
        QTest::newRow("remark") << Edit([](ScanClientInfo &i) { i.remark = "hall 2"; i.versionD = i.versionS = 1; })
                                << "12-4660 D0100 (hall 2)";
    }

    void serialDescription()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, text);
        QCOMPARE(device(edit).serialDescription(), text);
    }

    void infoLines_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        const QString made = QStringLiteral(" manufactured on Sat Jan 1 01:00:00 2000");
        const QString mac = QStringLiteral("MAC: 00:12:34:56:78:9A");
        const auto address = [](quint32 ip, quint32 mask, quint32 gateway) {
            return [=](ScanClientInfo &i) { i.ip = ip; i.netmask = mask; i.gateway = gateway; };
        };
        QTest::newRow("full") << Edit(address(0xC0A80105, 0xFFFFFF00, 0xC0A80101)) << "12-4660" + made
                              << mac + "  IP: 192.168.1.5/24 (GW=192.168.1.1)";
        QTest::newRow("board name only") << Edit([](ScanClientInfo &i) { i.board = 0; i.boardName = "ZX"; })
                                         << "ZX-4660" + made << mac;
        QTest::newRow("unknown board") << Edit([=](ScanClientInfo &i) { i.board = 0; address(0x0A000005, 0xFF000000, 0)(i); })
                                       << QString() << mac + "  IP: 10.0.0.5/8";
        QTest::newRow("mask with a hole") << Edit(address(0x0A000005, 0xFF00FF00, 0)) << "12-4660" + made
                                          << mac + "  IP: 10.0.0.5/255.0.255.0";
        QTest::newRow("gateway without address") << Edit(address(0, 0xFFFFFF00, 0x0A000001)) << "12-4660" + made << mac;
    }

    void infoLines()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QCOMPARE(device(edit).infoLines(), QStringList({first, second}));
    }

    // Every shown field counts; development mode and the versions do not.
    void differsFrom()
    {
        const QList<Edit> shown{
            [](ScanClientInfo &i) { i.mac = Mac(1); },       [](ScanClientInfo &i) { i.netmask = 1; },
            [](ScanClientInfo &i) { i.gateway = 1; },        [](ScanClientInfo &i) { i.networkMode = 2; },
            [](ScanClientInfo &i) { i.board = 13; },         [](ScanClientInfo &i) { i.boardName = "x"; },
            [](ScanClientInfo &i) { i.remark = "x"; },       [](ScanClientInfo &i) { i.cpu = 8; },
            [](ScanClientInfo &i) { i.serial = 0x123457; }, [](ScanClientInfo &i) { i.made = i.made.addSecs(1); },
            [](ScanClientInfo &i) { i.made = QDateTime(); },
        };
        for (qsizetype n = 0; n < shown.size(); ++n) {
            const ScanClientInfo edited = device(shown[n]);
            QVERIFY2(device().differsFrom(edited) && edited.differsFrom(device()), qPrintable(QString::number(n)));
        }
        QVERIFY(!device().differsFrom(device([](ScanClientInfo &i) { i.developmentMode = 1; i.versionS = i.versionD = 1; })));
    }

    void macParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("prefix"); // -1: none
        QTest::addColumn<quint64>("value"); // 0: refused
        QTest::newRow("full") << "00:12:34:56:78:9A" << qint64(-1) << quint64(0x00123456789A);
        QTest::newRow("lower case, dashes") << "ab-cd-ef-01-02-03" << qint64(-1) << quint64(0xABCDEF010203);
        QTest::newRow("single digits") << "0:1:2:3:4:5" << qint64(-1) << quint64(0x000102030405);
        QTest::newRow("one group") << "7" << qint64(-1) << quint64(0x7);
        QTest::newRow("vendor prefix") << "12:34:56" << qint64(0xABCDEF) << quint64(0xABCDEF123456);
        QTest::newRow("prefix kept to 24 bits") << "01" << qint64(0x1ABCDEF) << quint64(0xABCDEF000001);
        QTest::newRow("too long for the prefix") << "12:34:56:78" << qint64(0xABCDEF) << quint64(0x12345678);
        QTest::newRow("seven groups") << "12:34:56:78:9A:BC:DE" << qint64(-1) << quint64(0);
        QTest::newRow("trailing separator") << "12:34:" << qint64(-1) << quint64(0);
        QTest::newRow("leading separator") << ":1" << qint64(-1) << quint64(0);
        QTest::newRow("no separators") << "001122334455" << qint64(-1) << quint64(0);
        QTest::newRow("zero with prefix") << "0" << qint64(0xABCDEF) << quint64(0);
        QTest::newRow("not hex") << "12:3g" << qint64(-1) << quint64(0);
    }

    void macParse()
    {
        QFETCH(QString, text);
        QFETCH(qint64, prefix);
        QFETCH(quint64, value);
        Mac mac(0x42); // a refused text clears the target
        QCOMPARE(Mac::parse(text, &mac, prefix < 0 ? std::nullopt : std::optional<quint32>(quint32(prefix))), value != 0);
        QCOMPARE(mac.value(), value);
        if (value != 0 && prefix < 0) { // the text form parses back to the same address
            QVERIFY(Mac::parse(mac.toString(), &mac));
            QCOMPARE(mac.value(), value);
        }
    }

    void netmaskPrefix()
    {
        const QList<QPair<quint32, int>> prefixes{
            {0xFFFFFF00, 24}, {0xFFFFFFFF, 32}, {0xFF000000, 8}, {0xFE000000, -1}, {0, -1},
            {0xFF00FF00, -1}, {0xFFFF0001, -1}, {0x00FFFFFF, -1},
        };
        for (const auto &[mask, prefix] : prefixes)
            QVERIFY2(netmaskPrefixLength(mask) == prefix, qPrintable(ipv4ToString(mask)));
    }

    // The registry buffer goes to the device whole on upload: it must start
    // clean, never share storage between copies and never overflow.
    void registryIsCleanDeepAndBounded()
    {
        const auto whole = [](const uchar *data) {
            return QByteArray(reinterpret_cast<const char *>(data), ScanClientRegistry::Capacity);
        };
        const QByteArray zeros(ScanClientRegistry::Capacity, '\0');
        ScanClientRegistry original;
        QCOMPARE(whole(original.data()), zeros);
        original.assign(QByteArray(5000, '\xAA'));
        QCOMPARE(original.size(), ScanClientRegistry::Capacity);
        original.assign("abc");
        ScanClientRegistry copied(original);
        ScanClientRegistry assigned;
        assigned = original;
        original.data()[4095] = 'z';
        original.setSize(0xFFFFFFFF);
        QCOMPARE(original.size(), ScanClientRegistry::Capacity);
        for (const ScanClientRegistry *copy : {&copied, &assigned}) {
            QCOMPARE(copy->size(), 3u);
            QCOMPARE(whole(copy->data()), "abc" + QByteArray(ScanClientRegistry::Capacity - 3, '\xAA')); // beyond the size too
        }
        const ScanClientRegistry unwritten;
        assigned = unwritten; // no old bytes may survive an assignment from a registry never written
        QCOMPARE(whole(std::as_const(assigned).data()), zeros);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
