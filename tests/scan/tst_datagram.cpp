// Datagram codec: byte-exact builder output (its checksum bytes pin the CRC-8),
// the engine's cold reset request among it, and the decoder's walk rules.
// Builder/decoder round trips run in the fuzz target's corpus replay.
#include "datagram.h"
#include "resetrequest.h"
#include "testbytes.h"

#include <QStringList>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

using namespace zn;

Q_DECLARE_METATYPE(zn::DecodeStatus)

namespace {

constexpr uint64_t kMac = 0x001122334455;
constexpr uint32_t kSender = 0x0AC90102; // 10.201.1.2

const uint8_t *bytesOf(const QByteArray &bytes)
{
    return reinterpret_cast<const uint8_t *>(bytes.constData());
}

// Magic, then opcode and records in hex; with the correct checksum unless raw.
QByteArray frame(const QByteArray &opcodeAndRecordsHex, bool raw = false)
{
    QByteArray bytes = QByteArray(kMagic) + hex(opcodeAndRecordsHex.constData());
    if (!raw)
        bytes.append(char(crc8(bytesOf(bytes), size_t(bytes.size()))));
    return bytes;
}

QByteArray record(uint16_t tag, const QByteArray &payload)
{
    const auto length = uint16_t(payload.size() + 2);
    return QByteArray().append(char(length >> 8)).append(char(length)).append(char(tag >> 8)).append(char(tag)) + payload;
}

QByteArray answer(const QByteArray &records)
{
    return frame("0002" + record(TagMac, hex("001122334455")).toHex() + records.toHex());
}

// The fields the decoder treats beyond copying them (the fuzz target's round
// trip checks every field), where they differ from their defaults.
QString summary(const DecodedDatagram &d)
{
    const DecodedIdentity &id = d.identity;
    QStringList parts{QStringLiteral("op=%1 mac=%2").arg(d.opcode).arg(id.mac, 12, 16, QLatin1Char('0'))};
    auto add = [&parts](bool present, const char *name, const QString &value) {
        if (present)
            parts << QLatin1String(name) + QLatin1Char('=') + value;
    };
    add(id.ip != kSender, "ip", QString::number(id.ip, 16));
    add(id.networkMode != -1, "net", QString::number(id.networkMode));
    add(id.developmentMode != -1, "dev", QString::number(id.developmentMode));
    add(id.board != 0, "board", QString::number(id.board, 16));
    add(d.resetKind != -1, "kind", QString::number(d.resetKind));
    return parts.join(QLatin1Char(' '));
}

DecodeStatus decode(const QByteArray &bytes, DecodedDatagram *out)
{
    return datagramDecode(kSender, bytesOf(bytes), size_t(bytes.size()), out);
}

QByteArray build(uint64_t mac, uint16_t opcode, const std::function<void(DatagramBuilder *)> &records = {})
{
    uint8_t buffer[kDatagramBufferSize];
    DatagramBuilder b = datagramBegin(mac, buffer, sizeof buffer, opcode);
    if (records)
        records(&b);
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(datagramFinish(&b)));
}

} // namespace

class TestDatagram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void builder_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("discovery request") << build(0, OpDiscoverRequest) << frame("0001C3", true);
        QTest::newRow("buzz") << build(kMac, OpBuzz) << frame("0003 00081500001122334455 64", true);
        QTest::newRow("upload request")
            << build(kMac, OpUploadRequest, [](DatagramBuilder *b) { datagramAppendU32(b, TagBlockTotal, 4096); })
            << frame("0005 00081500001122334455 0006112200001000 65", true);
        QTest::newRow("cold reset request") << ResetRequest{1, ResetRequest::Cold, "00:11:22:33:44:55", {}}.buildDatagram()
                                            << frame("0000 00081500001122334455 0003112301 20", true);
        QTest::newRow("only the low 48 bits name the device") << build(0xFFFF001122334455, OpBuzz)
                                                              << frame("0003 00081500001122334455 64", true);
        QTest::newRow("empty data record")
            << build(kMac, OpDataBlock, [](DatagramBuilder *b) { datagramAppendData(b, TagData, nullptr, 0); })
            << frame("0006 00081500001122334455 00020020");
    }

    void builder()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    // Nothing is written beyond the capacity, and a frame that does not fit is refused.
    void builderCapacity_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<quint64>("mac");
        QTest::addColumn<int>("dataSize"); // -1: no data record
        QTest::addColumn<bool>("appended");
        QTest::addColumn<int>("expectedLength");
        QTest::newRow("no room for the header") << 9 << quint64(0) << -1 << false << 0;
        QTest::newRow("no room for the checksum") << 10 << quint64(0) << -1 << false << 0;
        QTest::newRow("smallest frame fits exactly") << 11 << quint64(0) << -1 << false << 11;
        QTest::newRow("data record one byte too long") << 27 << quint64(kMac) << 4 << false << 0;
        QTest::newRow("data record fits exactly") << 28 << quint64(kMac) << 3 << true << 28;
        QTest::newRow("payload beyond the length field") << 2048 << quint64(kMac) << 0xFFFE << false << 0;
        QTest::newRow("largest payload") << 0x10020 << quint64(kMac) << 0xFFFD << true << 20 + 4 + 0xFFFD + 1;
    }

    void builderCapacity()
    {
        QFETCH(int, capacity);
        QFETCH(quint64, mac);
        QFETCH(int, dataSize);
        QFETCH(bool, appended);
        QFETCH(int, expectedLength);
        std::vector<uint8_t> buffer(size_t(capacity) + 64, 0xA5);
        const std::vector<uint8_t> payload(size_t(qMax(dataSize, 0)), 0x42);
        DatagramBuilder b = datagramBegin(mac, buffer.data(), size_t(capacity), OpDataBlock);
        if (dataSize >= 0)
            QCOMPARE(datagramAppendData(&b, TagData, payload.data(), payload.size()), appended);
        QCOMPARE(int(datagramFinish(&b)), expectedLength);
        QVERIFY(std::all_of(buffer.begin() + capacity, buffer.end(), [](uint8_t byte) { return byte == 0xA5; }));
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<DecodeStatus>("status");
        QTest::addColumn<QString>("expected");
        const QByteArray mac = record(TagMac, hex("001122334455"));
        const QByteArray board = record(TagBoard, hex("0000002A"));
        const auto ok = DecodeStatus::Ok;
        const auto dropped = DecodeStatus::Dropped;
        const QString bare = QStringLiteral("op=2 mac=001122334455");

        QTest::newRow("10 bytes") << frame("0002", true) << dropped << "";
        QTest::newRow("wrong magic") << "DISCOVEX" + answer({}).mid(8) << dropped << "";
        QTest::newRow("bad checksum") << frame("0002 00081500001122334455 00", true) << DecodeStatus::CrcError << "";
        QTest::newRow("MAC record of 5 bytes drops all")
            << frame("0002" + (board + record(TagMac, hex("0011223344")) + mac).toHex()) << dropped << "";
        QTest::newRow("length 0 stops the walk") << answer(hex("0000") + board) << ok << bare;
        QTest::newRow("truncated record keeps earlier fields") << answer(board + hex("00201102 0A0B")) << ok
                                                               << bare + " board=2a";
        QTest::newRow("unknown tags are skipped")
            << frame("0002" + (record(0x7777, hex("AABBCC")) + mac + record(0x1103, hex("01"))).toHex()) << ok << bare;
        QTest::newRow("repeated tag overwrites") << answer(board + record(TagBoard, hex("00000007"))) << ok
                                                 << bare + " board=7";
        QTest::newRow("reset kind of 2 bytes drops all") << answer(record(TagResetKind, hex("0001"))) << dropped << "";
        QTest::newRow("MAC overwritten by zero") << answer(record(TagMac, hex("000000000000"))) << dropped << "";
        QTest::newRow("address record with 0.0.0.0 replaces the sender") << answer(record(TagAddress, QByteArray(12, '\0')))
                                                                         << ok << bare + " ip=0";
        QTest::newRow("modes, development mode stored as 1")
            << answer(record(TagNetworkMode, hex("00000002")) + record(TagDevelopmentMode, hex("00000007"))) << ok
            << bare + " net=2 dev=1";
        QTest::newRow("reset kind") << frame("0000" + (mac + record(TagResetKind, hex("02"))).toHex()) << ok
                                    << "op=0 mac=001122334455 kind=2";
    }

    void decode()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(DecodeStatus, status);
        QFETCH(QString, expected);
        DecodedDatagram out;
        QCOMPARE(::decode(datagram, &out), status);
        if (status == DecodeStatus::Ok)
            QCOMPARE(summary(out), expected);
    }
};

QTEST_APPLESS_MAIN(TestDatagram)
#include "tst_datagram.moc"
