// The reset request: its log description and its datagram, byte for byte.
#include "resetrequest.h"
#include "testbytes.h"

#include <QTest>

class TestResetRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void requests_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("error");
        const QString mac = QStringLiteral("00:11:22:33:44:55");
        QTest::newRow("auto: no kind record") << 1 << 0 << mac << "Auto MAC(00:11:22:33:44:55)"
                                              << hex("44495343 4F564552 0000 0008 1500 001122334455 02") << "";
        QTest::newRow("seven groups") << 1 << 2 << "00:11:22:33:44:55:66" << "Warm MAC(00:11:22:33:44:55:66)"
                                      << QByteArray() << "00:11:22:33:44:55:66 is not a valid MAC address";
        QTest::newRow("unnamed kind and method, no target") << 9 << 7 << "" << "7 9" << QByteArray()
                                                            << " is not a valid MAC address";
    }

    void requests()
    {
        QFETCH(int, method);
        QFETCH(int, kind);
        QFETCH(QString, target);
        QFETCH(QString, description);
        QFETCH(QByteArray, datagram);
        QFETCH(QString, error);
        ResetRequest request{method, kind, target, {}};
        QCOMPARE(request.toString(), description);
        QCOMPARE(request.buildDatagram(), datagram);
        QCOMPARE(request.error, error);
    }
};

QTEST_GUILESS_MAIN(TestResetRequest)
#include "tst_resetrequest.moc"
