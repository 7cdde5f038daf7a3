// Datagram codec: checksum, byte-exact builder output and the decoder's walk rules.
#include "datagram.h"

#include <QStringList>
#include <QTest>

#include <functional>
#include <vector>

using namespace zn;

Q_DECLARE_METATYPE(zn::DecodeStatus)

namespace {

constexpr uint64_t kMac = 0x001122334455;
constexpr uint32_t kSender = 0x0AC90102; // 10.201.1.2

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray magicAnd(const char *opcodeAndRecordsHex)
{
    return QByteArray(kMagic) + hex(opcodeAndRecordsHex);
}

// Magic, opcode and records given in hex, closed with the correct checksum.
QByteArray frame(const char *opcodeAndRecordsHex)
{
    QByteArray bytes = magicAnd(opcodeAndRecordsHex);
    bytes.append(char(crc8(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()))));
    return bytes;
}

QByteArray record(uint16_t tag, const QByteArray &payload)
{
    QByteArray bytes;
    const int length = int(payload.size()) + 2;
    bytes.append(char(length >> 8)).append(char(length)).append(char(tag >> 8)).append(char(tag));
    return bytes + payload;
}

QByteArray frameWithRecords(const char *opcodeHex, const QByteArray &records)
{
    return frame((QByteArray(opcodeHex) + records.toHex()).constData());
}

// The fields that differ from their defaults, so that a row names only what it expects.
QString summary(const DecodedDatagram &d)
{
    const DecodedIdentity &id = d.identity;
    const DecodedBlock &b = d.block;
    QStringList parts;
    parts << QStringLiteral("op=%1").arg(d.opcode) << QStringLiteral("mac=%1").arg(id.mac, 12, 16, QLatin1Char('0'));
    auto add = [&parts](bool present, const char *name, const QString &value) {
        if (present)
            parts << QLatin1String(name) + QLatin1Char('=') + value;
    };
    auto ip = [](uint32_t v) {
        return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg(v >> 16 & 255).arg(v >> 8 & 255).arg(v & 255);
    };
    add(id.ip != kSender, "ip", ip(id.ip));
    add(id.netmask != 0, "mask", ip(id.netmask));
    add(id.gateway != 0, "gw", ip(id.gateway));
    add(id.networkMode != -1, "net", QString::number(id.networkMode));
    add(id.developmentMode != -1, "dev", QString::number(id.developmentMode));
    add(id.board != 0, "board", QString::number(id.board, 16));
    add(id.cpu != 0, "cpu", QString::number(id.cpu, 16));
    add(id.serial != 0, "serial", QString::number(id.serial, 16));
    add(id.hasMade, "made", QString::number(id.madeSince2000));
    add(id.versionS != 0, "vs", QString::number(id.versionS));
    add(id.versionD != 0, "vd", QString::number(id.versionD));
    add(id.boardName != nullptr, "name", QString::fromUtf8(id.boardName, qsizetype(id.boardNameSize)));
    add(id.remark != nullptr, "remark", QString::fromUtf8(id.remark, qsizetype(id.remarkSize)));
    add(b.mac != id.mac, "blockmac", QString::number(b.mac, 16));
    add(b.offset != -1, "offset", QString::number(b.offset));
    add(b.total != 0, "total", QString::number(b.total));
    add(b.data != nullptr, "data", QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(b.data),
                                                                    qsizetype(b.dataSize)).toHex()));
    add(d.resetKind != -1, "kind", QString::number(d.resetKind));
    return parts.join(QLatin1Char(' '));
}

DecodeStatus decode(const QByteArray &bytes, DecodedDatagram *out)
{
    return datagramDecode(kSender, reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), out);
}

QByteArray build(uint64_t mac, uint16_t opcode, const std::function<void(DatagramBuilder *)> &records)
{
    uint8_t buffer[kDatagramBufferSize];
    DatagramBuilder b = datagramBegin(mac, buffer, sizeof buffer, opcode);
    records(&b);
    const size_t length = datagramFinish(&b);
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(length));
}

// A discovery answer carrying every identity record.
QByteArray fullAnswer()
{
    DecodedIdentity id;
    id.ip = 0xC0A80A05;
    id.netmask = 0xFFFFFF00;
    id.gateway = 0xC0A80A01;
    id.networkMode = 2;
    id.developmentMode = 1;
    id.board = 0x2A;
    id.cpu = 0x0A0B0C01;
    id.serial = 0x0123456789ABCDEF;
    id.hasMade = true;
    id.madeSince2000 = 700000000;
    id.versionS = 1234;
    id.versionD = 507;
    id.boardName = "ZN-330";
    id.boardNameSize = 6;
    id.remark = "Hall 3";
    id.remarkSize = 6;
    return build(kMac, OpDiscoverAnswer, [&id](DatagramBuilder *b) { datagramAppendIdentity(b, id); });
}

} // namespace

class TestDatagram : public QObject {
    Q_OBJECT

private slots:
    void crc_data();
    void crc();
    void crcOfWholeFrameIsZero();
    void builder_data();
    void builder();
    void builderCapacity_data();
    void builderCapacity();
    void decode_data();
    void decode();
    void everyBitFlipFailsTheChecksum();
    void checkFrameAcceptsTheDiscoveryRequest();
    void blockDataPointsIntoTheDatagram();
    void identityRoundTrip_data();
    void identityRoundTrip();
};

void TestDatagram::crc_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("expected");
    QTest::newRow("check string") << QByteArray("123456789") << 0x0B;
    QTest::newRow("abc") << QByteArray("abc") << 0x90;
    QTest::newRow("empty") << QByteArray() << 0xFF;
    QTest::newRow("discovery request") << magicAnd("0001") << 0xC3;
}

void TestDatagram::crc()
{
    QFETCH(QByteArray, input);
    QFETCH(int, expected);
    QCOMPARE(int(crc8(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()))), expected);
}

void TestDatagram::crcOfWholeFrameIsZero()
{
    const QByteArray answer = fullAnswer();
    QCOMPARE(int(crc8(reinterpret_cast<const uint8_t *>(answer.constData()), size_t(answer.size()))), 0);
}

void TestDatagram::builder_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const uint8_t coldReset = 1;
    QTest::newRow("discovery request") << build(0, OpDiscoverRequest, [](DatagramBuilder *) {})
                                       << magicAnd("0001C3");
    QTest::newRow("buzz") << build(kMac, OpBuzz, [](DatagramBuilder *) {})
                          << magicAnd("0003" "00081500001122334455" "64");
    QTest::newRow("upload request")
        << build(kMac, OpUploadRequest, [](DatagramBuilder *b) { datagramAppendU32(b, TagBlockTotal, 4096); })
        << magicAnd("0005" "00081500001122334455" "0006112200001000" "65");
    QTest::newRow("cold reset")
        << build(kMac, OpReset, [&](DatagramBuilder *b) { datagramAppendData(b, TagResetKind, &coldReset, 1); })
        << magicAnd("0000" "00081500001122334455" "0003112301" "20");
    QTest::newRow("only the low 48 bits name the device")
        << build(0xFFFF001122334455, OpBuzz, [](DatagramBuilder *) {})
        << magicAnd("0003" "00081500001122334455" "64");
    QTest::newRow("empty data record") << build(kMac, OpDataBlock, [](DatagramBuilder *b) {
        datagramAppendData(b, TagData, nullptr, 0);
    }) << frame("0006" "00081500001122334455" "00020020");
}

void TestDatagram::builder()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestDatagram::builderCapacity_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<quint64>("mac");
    QTest::addColumn<int>("dataSize"); // -1: no data record
    QTest::addColumn<bool>("appended");
    QTest::addColumn<int>("expectedLength");
    const quint64 none = 0;
    QTest::newRow("header only, no room for the checksum") << 10 << none << -1 << false << 0;
    QTest::newRow("smallest frame fits exactly") << 11 << none << -1 << false << 11;
    QTest::newRow("no room for the header") << 9 << none << -1 << false << 0;
    QTest::newRow("MAC record does not fit") << 19 << quint64(kMac) << -1 << false << 0;
    QTest::newRow("MAC frame fits exactly") << 21 << quint64(kMac) << -1 << false << 21;
    QTest::newRow("data record one byte too long") << 27 << quint64(kMac) << 4 << false << 0;
    QTest::newRow("data record fits, checksum does not") << 27 << quint64(kMac) << 3 << true << 0;
    QTest::newRow("data record fits exactly") << 28 << quint64(kMac) << 3 << true << 28;
    QTest::newRow("zero capacity") << 0 << quint64(kMac) << 0 << false << 0;
    QTest::newRow("payload beyond the length field") << 2048 << quint64(kMac) << 0xFFFE << false << 0;
    QTest::newRow("largest payload") << 0x10020 << quint64(kMac) << 0xFFFD << true << 20 + 4 + 0xFFFD + 1;
}

void TestDatagram::builderCapacity()
{
    QFETCH(int, capacity);
    QFETCH(quint64, mac);
    QFETCH(int, dataSize);
    QFETCH(bool, appended);
    QFETCH(int, expectedLength);
    constexpr uint8_t guard = 0xA5;
    std::vector<uint8_t> buffer(size_t(capacity) + 64, guard);
    const std::vector<uint8_t> payload(size_t(qMax(dataSize, 0)), 0x42);
    DatagramBuilder b = datagramBegin(mac, buffer.data(), size_t(capacity), OpDataBlock);
    if (dataSize >= 0)
        QCOMPARE(datagramAppendData(&b, TagData, payload.data(), payload.size()), appended);
    QCOMPARE(int(datagramFinish(&b)), expectedLength);
    for (size_t i = size_t(capacity); i < buffer.size(); ++i)
        QCOMPARE(buffer[i], guard);
}

void TestDatagram::decode_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<DecodeStatus>("status");
    QTest::addColumn<QString>("expected");
    const QByteArray mac = record(TagMac, hex("001122334455"));
    const QByteArray board = record(TagBoard, hex("0000002A"));
    const auto ok = DecodeStatus::Ok;
    const auto dropped = DecodeStatus::Dropped;

    QTest::newRow("mac only") << frameWithRecords("0002", mac) << ok << "op=2 mac=001122334455";
    QTest::newRow("11-byte frame with a good checksum") << frame("0002") << dropped << "";
    QTest::newRow("10 bytes") << magicAnd("0002") << dropped << "";
    QTest::newRow("wrong magic") << QByteArray("DISCOVEX") + frameWithRecords("0002", mac).mid(8) << dropped << "";
    QTest::newRow("bad checksum") << magicAnd("0002" "00081500001122334455" "00") << DecodeStatus::CrcError << "";
    QTest::newRow("record area of 3 bytes") << frame("0002" "000815") << dropped << "";
    QTest::newRow("MAC record of 5 bytes drops all")
        << frameWithRecords("0002", board + record(TagMac, hex("0011223344")) + mac) << dropped << "";
    QTest::newRow("length 1 before the MAC stops the walk") << frame("0002" "00011101" "0000002A" "00081500001122334455")
                                                            << dropped << "";
    QTest::newRow("length 1 after the MAC keeps the MAC") << frame("0002" "00081500001122334455" "00011101" "0000002A")
                                                          << ok << "op=2 mac=001122334455";
    QTest::newRow("length 0 stops the walk") << frameWithRecords("0002", mac + hex("0000") + board) << ok
                                             << "op=2 mac=001122334455";
    QTest::newRow("truncated record keeps earlier fields")
        << frameWithRecords("0002", mac + board + hex("00201102" "0A0B")) << ok << "op=2 mac=001122334455 board=2a";
    QTest::newRow("tail shorter than a record header")
        << frameWithRecords("0002", mac + hex("000611")) << ok << "op=2 mac=001122334455";
    QTest::newRow("unknown tags are skipped")
        << frameWithRecords("0002", record(0x7777, hex("AABBCC")) + mac + record(0x1103, hex("01"))) << ok
        << "op=2 mac=001122334455";
    QTest::newRow("repeated tag overwrites") << frameWithRecords("0002", mac + board + record(TagBoard, hex("00000007")))
                                             << ok << "op=2 mac=001122334455 board=7";
    QTest::newRow("board of 2 bytes drops all") << frameWithRecords("0002", mac + record(TagBoard, hex("002A")))
                                                << dropped << "";
    QTest::newRow("version of 4 bytes drops all") << frameWithRecords("0002", mac + record(TagVersionS, hex("000004D2")))
                                                  << dropped << "";
    QTest::newRow("reset kind of 2 bytes drops all") << frameWithRecords("0000", mac + record(TagResetKind, hex("0001")))
                                                     << dropped << "";
    QTest::newRow("zero MAC") << frameWithRecords("0002", record(TagMac, hex("000000000000")) + board) << dropped << "";
    QTest::newRow("MAC overwritten by zero") << frameWithRecords("0002", mac + record(TagMac, hex("000000000000")))
                                             << dropped << "";
    QTest::newRow("no MAC record") << frameWithRecords("0002", board) << dropped << "";
    QTest::newRow("text records")
        << frameWithRecords("0002", mac + record(TagBoardName, "ZN-210") + record(TagRemark, "Halle S\xC3\xBC" "d"))
        << ok << QString::fromUtf8("op=2 mac=001122334455 name=ZN-210 remark=Halle Süd");
    QTest::newRow("empty text records") << frameWithRecords("0002", mac + record(TagBoardName, {}) + record(TagRemark, {}))
                                        << ok << "op=2 mac=001122334455 name= remark=";
    QTest::newRow("address record with 0.0.0.0 replaces the sender")
        << frameWithRecords("0002", mac + record(TagAddress, QByteArray(12, '\0'))) << ok << "op=2 mac=001122334455 ip=0.0.0.0";
    QTest::newRow("address record") << frameWithRecords("0002", mac + record(TagAddress, hex("C0A80A05FFFF0000C0A80A01")))
                                    << ok << "op=2 mac=001122334455 ip=192.168.10.5 mask=255.255.0.0 gw=192.168.10.1";
    QTest::newRow("modes, development mode stored as 1")
        << frameWithRecords("0002", mac + record(TagNetworkMode, hex("00000002")) + record(TagDevelopmentMode, hex("00000007")))
        << ok << "op=2 mac=001122334455 net=2 dev=1";
    QTest::newRow("development mode off") << frameWithRecords("0002", mac + record(TagDevelopmentMode, hex("00000000")))
                                          << ok << "op=2 mac=001122334455 dev=0";
    QTest::newRow("made 0 is the year 2000") << frameWithRecords("0002", mac + record(TagMade, hex("00000000"))) << ok
                                             << "op=2 mac=001122334455 made=0";
    QTest::newRow("made is raw") << frameWithRecords("0002", mac + record(TagMade, hex("FFFFFFFF"))) << ok
                                 << "op=2 mac=001122334455 made=4294967295";
    QTest::newRow("serial, cpu and versions")
        << frameWithRecords("0002", mac + record(TagSerial, hex("0102030405060708")) + record(TagCpu, hex("0A0B0C0D"))
                                        + record(TagVersionS, hex("04D2")) + record(TagVersionD, hex("FFFF")))
        << ok << "op=2 mac=001122334455 cpu=a0b0c0d serial=102030405060708 vs=1234 vd=65535";
    QTest::newRow("data block")
        << frameWithRecords("0006", mac + record(TagBlockTotal, hex("00001000")) + record(TagBlockOffset, hex("00000500"))
                                        + record(TagData, hex("DEADBEEF")))
        << ok << "op=6 mac=001122334455 offset=1280 total=4096 data=deadbeef";
    QTest::newRow("block request") << frameWithRecords("0007", mac + record(TagBlockOffset, hex("00001000"))) << ok
                                   << "op=7 mac=001122334455 offset=4096";
    QTest::newRow("negative offset") << frameWithRecords("0007", mac + record(TagBlockOffset, hex("FFFFFFFE"))) << ok
                                     << "op=7 mac=001122334455 offset=-2";
    QTest::newRow("reset kind") << frameWithRecords("0000", mac + record(TagResetKind, hex("02"))) << ok
                                << "op=0 mac=001122334455 kind=2";
    QTest::newRow("any opcode decodes") << frameWithRecords("ABCD", mac) << ok << "op=43981 mac=001122334455";
}

void TestDatagram::decode()
{
    QFETCH(QByteArray, datagram);
    QFETCH(DecodeStatus, status);
    QFETCH(QString, expected);
    DecodedDatagram out;
    QCOMPARE(::decode(datagram, &out), status);
    if (status == DecodeStatus::Ok)
        QCOMPARE(summary(out), expected);
}

void TestDatagram::everyBitFlipFailsTheChecksum()
{
    const QByteArray answer = fullAnswer();
    DecodedDatagram out;
    QCOMPARE(::decode(answer, &out), DecodeStatus::Ok);
    for (int bit = 0; bit < answer.size() * 8; ++bit) {
        QByteArray flipped = answer;
        flipped[bit / 8] = char(flipped[bit / 8] ^ (1 << (bit % 8)));
        QVERIFY2(crc8(reinterpret_cast<const uint8_t *>(flipped.constData()), size_t(flipped.size())) != 0,
                 qPrintable(QStringLiteral("bit %1").arg(bit)));
        // A flip inside the magic makes the frame foreign before the checksum is looked at.
        const DecodeStatus expected = bit < int(kMagicSize) * 8 ? DecodeStatus::Dropped : DecodeStatus::CrcError;
        QCOMPARE(::decode(flipped, &out), expected);
    }
}

void TestDatagram::checkFrameAcceptsTheDiscoveryRequest()
{
    const QByteArray request = magicAnd("0001C3");
    DecodedDatagram out;
    const auto *bytes = reinterpret_cast<const uint8_t *>(request.constData());
    QCOMPARE(datagramCheckFrame(bytes, size_t(request.size()), &out), DecodeStatus::Ok);
    QCOMPARE(out.opcode, uint16_t(OpDiscoverRequest));
    QCOMPARE(datagramDecode(kSender, bytes, size_t(request.size()), &out), DecodeStatus::Dropped);

    const QByteArray corrupt = magicAnd("0001C4");
    QCOMPARE(datagramCheckFrame(reinterpret_cast<const uint8_t *>(corrupt.constData()), size_t(corrupt.size()), &out),
             DecodeStatus::CrcError);
    QCOMPARE(out.crcCarried, uint8_t(0xC4));
    QCOMPARE(out.crcComputed, uint8_t(0xC3));
}

void TestDatagram::blockDataPointsIntoTheDatagram()
{
    const QByteArray block = frameWithRecords("0006", record(TagMac, hex("001122334455")) + record(TagData, "xyz"));
    DecodedDatagram out;
    QCOMPARE(::decode(block, &out), DecodeStatus::Ok);
    QCOMPARE(reinterpret_cast<const char *>(out.block.data), block.constData() + block.size() - 4);
    QCOMPARE(out.block.dataSize, size_t(3));
}

void TestDatagram::identityRoundTrip_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every record") << fullAnswer()
                                  << "op=2 mac=001122334455 ip=192.168.10.5 mask=255.255.255.0 gw=192.168.10.1 net=2 "
                                     "dev=1 board=2a cpu=a0b0c01 serial=123456789abcdef made=700000000 vs=1234 vd=507 "
                                     "name=ZN-330 remark=Hall 3";
    QTest::newRow("optional records left out")
        << build(kMac, OpDiscoverAnswer, [](DatagramBuilder *b) { datagramAppendIdentity(b, DecodedIdentity()); })
        << "op=2 mac=001122334455 ip=0.0.0.0";
}

void TestDatagram::identityRoundTrip()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, expected);
    DecodedDatagram out;
    QCOMPARE(::decode(datagram, &out), DecodeStatus::Ok);
    QCOMPARE(summary(out), expected);
}

QTEST_APPLESS_MAIN(TestDatagram)
#include "tst_datagram.moc"
