// MAC text forms and netmask prefixes: the device list, the log lines and the
// reset command all depend on them being exact.
#include "ipv4.h"
#include "mac.h"

#include <QTest>

class TestAddresses : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void macText()
    {
        QCOMPARE(Mac(0x00ABCDEF789A).toString(u'-'), QStringLiteral("00-AB-CD-EF-78-9A"));
        QCOMPARE(Mac(0xFFFF123456789ABC).toString(), QStringLiteral("12:34:56:78:9A:BC"));
    }

    void macParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("prefix"); // -1: none
        QTest::addColumn<quint64>("value"); // 0: refused
        QTest::newRow("full") << "00:12:34:56:78:9A" << qint64(-1) << quint64(0x00123456789A);
        QTest::newRow("lower case, dashes") << "ab-cd-ef-01-02-03" << qint64(-1) << quint64(0xABCDEF010203);
        QTest::newRow("mixed separators") << "12-34:56" << qint64(-1) << quint64(0x123456);
        QTest::newRow("single digits") << "0:1:2:3:4:5" << qint64(-1) << quint64(0x000102030405);
        QTest::newRow("one group") << "7" << qint64(-1) << quint64(0x7);
        QTest::newRow("vendor prefix") << "12:34:56" << qint64(0xABCDEF) << quint64(0xABCDEF123456);
        QTest::newRow("zero prefix") << "12:34:56" << qint64(0) << quint64(0x123456);
        QTest::newRow("prefix kept to 24 bits") << "01" << qint64(0x1ABCDEF) << quint64(0xABCDEF000001);
        QTest::newRow("too long for the prefix") << "12:34:56:78" << qint64(0xABCDEF) << quint64(0x12345678);
        QTest::newRow("seven groups") << "12:34:56:78:9A:BC:DE" << qint64(-1) << quint64(0);
        QTest::newRow("trailing separator") << "12:34:" << qint64(-1) << quint64(0);
        QTest::newRow("leading separator") << ":12:34" << qint64(-1) << quint64(0);
        QTest::newRow("double separator") << "12::34" << qint64(-1) << quint64(0);
        QTest::newRow("dotted") << "0011.2233" << qint64(-1) << quint64(0);
        QTest::newRow("no separators") << "001122334455" << qint64(-1) << quint64(0);
        QTest::newRow("empty") << "" << qint64(-1) << quint64(0);
        QTest::newRow("zero") << "00:00:00:00:00:00" << qint64(-1) << quint64(0);
        QTest::newRow("zero with prefix") << "0" << qint64(0xABCDEF) << quint64(0);
        QTest::newRow("trailing blank") << "12:34 " << qint64(-1) << quint64(0);
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
};

QTEST_GUILESS_MAIN(TestAddresses)
#include "tst_addresses.moc"
