// The value text codec: display and edit texts of every type, the parse
// rules, the fall-backs to binary text, and the store-level wrappers.
#include "password.h"
#include "store.h"
#include "tagmap.h"
#include "valuecodec.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(uint32_t)

namespace {

// Named values that the built-in map does not have: a negative Int, a
// 64-bit key, an Enum value written in hexadecimal.
const QByteArray kTestMap = "\"0x01A7F001:4294967295\",\"Minus one\",\n"
                            "\"0x08A7F001:5\",\"five\",\n"
                            "\"0x18A7F001:7\",\"seven\",\n"
                            "\"0x10A7F001\",\"Hex enum\",\n"
                            "\"0x10A7F001:0x1F\",\"Thirty-one\",\n";

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray le32(uint32_t value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(char(value >> (8 * i)));
    return bytes;
}

QString pairs(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("%1").arg(i & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    return list.join(' ');
}

QByteArray counting(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(i));
    return bytes;
}

} // namespace

class TestValueCodec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void format_data();
    void format();
    void parse_data();
    void parse();
    void editRoundTrip_data();
    void editRoundTrip();
    void storeWrappers();
    void refusedEditsLeaveStore();
    void passwordWithoutRandomIsRefused();

private:
    TagMap m_map;
    QTemporaryDir m_dir;
};

void TestValueCodec::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    QVERIFY(m_dir.isValid());
    QFile file(m_dir.filePath("test.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kTestMap);
    file.close();
    m_map.loadFile(":/maps/znmap.csv");
    m_map.loadFile(file.fileName());
    QCOMPARE(m_map.errors(), QStringList());
}

void TestValueCodec::format_data()
{
    QTest::addColumn<uint32_t>("key");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("hexPreference");
    QTest::addColumn<QVariant>("display");
    QTest::addColumn<QVariant>("edit"); // invalid: no edit value

    const QVariant none;
    // Binary
    QTest::newRow("binary empty") << 0x00A70300u << QByteArray() << false << QVariant("") << QVariant("");
    QTest::newRow("binary bytes") << 0x00A70300u << hex("0001ff") << false << QVariant("00 01 FF")
                                  << QVariant("00 01 FF");
    QTest::newRow("binary 64") << 0x00A70300u << counting(64) << false << QVariant(pairs(64))
                               << QVariant(pairs(64));
    QTest::newRow("binary 65") << 0x00A70300u << counting(65) << false << QVariant(pairs(64) + " ...")
                               << QVariant(pairs(65));
    QTest::newRow("binary 1024") << 0x00A70300u << counting(1024) << false << QVariant(pairs(64) + " ...")
                                 << QVariant(pairs(1024));
    QTest::newRow("binary 1025") << 0x00A70300u << counting(1025) << false << QVariant(pairs(64) + " ...")
                                 << none;
    // Int
    QTest::newRow("int -1") << 0x01A70112u << hex("ffffffff") << false << QVariant("-1") << QVariant(-1);
    QTest::newRow("int low 32 of 8") << 0x01A70112u << hex("01000000ffffffff") << false << QVariant("1")
                                     << QVariant(1);
    QTest::newRow("int short") << 0x01A70112u << hex("3412") << false << QVariant("4660") << QVariant(4660);
    QTest::newRow("int empty") << 0x01A70112u << QByteArray() << false << QVariant("0") << QVariant(0);
    QTest::newRow("int named") << 0x01A7F001u << hex("ffffffff") << false << QVariant("Minus one")
                               << QVariant(-1);
    QTest::newRow("int without map entry") << 0x01A7F002u << hex("07000000") << false << QVariant("7")
                                           << QVariant(7);
    // Bool
    QTest::newRow("bool false") << 0x02A70001u << hex("00") << false << QVariant("False") << QVariant(false);
    QTest::newRow("bool any nonzero") << 0x02A70001u << hex("0002") << false << QVariant("True")
                                      << QVariant(true);
    QTest::newRow("bool empty") << 0x02A70001u << QByteArray() << false << QVariant("False") << QVariant(false);
    // String
    QTest::newRow("string") << 0x03A70007u << QByteArray("h\xC3\xA9llo") << false
                            << QVariant(QString::fromUtf8("h\u00E9llo")) << QVariant(QString::fromUtf8("h\u00E9llo"));
    QTest::newRow("string empty") << 0x03A70007u << QByteArray() << false << QVariant("") << QVariant("");
    // Date, Time, DateTime (C locale short formats)
    QTest::newRow("date 0") << 0x04A70001u << hex("00000000") << false << QVariant("1 Jan 1990")
                            << QVariant(QDate(1990, 1, 1));
    QTest::newRow("date low 32 of 8") << 0x04A70001u << hex("2001000001000000") << false
                                      << QVariant("16 Oct 1990") << QVariant(QDate(1990, 10, 16));
    QTest::newRow("time") << 0x05A70001u << le32(3661) << false << QVariant("01:01:01")
                          << QVariant(QTime(1, 1, 1));
    QTest::newRow("time wraps at a day") << 0x05A70001u << le32(86401) << false << QVariant("00:00:01")
                                         << QVariant(QTime(0, 0, 1));
    QTest::newRow("datetime") << 0x06A70001u << le32(1) + le32(3600) << false
                              << QVariant("2 Jan 1990 01:00:00")
                              << QVariant(QDateTime(QDate(1990, 1, 2), QTime(1, 0)));
    QTest::newRow("datetime of 4 bytes") << 0x06A70001u << le32(1) << false << QVariant("01 00 00 00")
                                         << none;
    // BitArray
    QTest::newRow("bits") << 0x07A70001u << hex("0180") << false << QVariant("10000000 00000001")
                          << QVariant("10000000 00000001");
    QTest::newRow("bits 9 bytes") << 0x07A70001u << hex("ff000000000000000001") << false
                                  << QVariant("11111111" + QString(" 00000000").repeated(7) + " ...")
                                  << QVariant("11111111" + QString(" 00000000").repeated(8) + " 10000000");
    QTest::newRow("bits 1025 bytes") << 0x07A70001u << QByteArray(1025, '\0') << false
                                     << QVariant(QString("00000000 ").repeated(7) + "00000000 ...") << none;
    // Int64
    QTest::newRow("int64 -1") << 0x08A70001u << hex("ffffffffffffffff") << false << QVariant("-1")
                              << QVariant(qlonglong(-1));
    QTest::newRow("int64 named") << 0x08A7F001u << hex("05") << false << QVariant("five")
                                 << QVariant(qlonglong(5));
    QTest::newRow("int64 wide is not named") << 0x08A7F001u << hex("0500000001000000") << false
                                             << QVariant("4294967301") << QVariant(qlonglong(4294967301));
    // Enum
    QTest::newRow("enum named") << 0x10A70100u << hex("02000000") << false << QVariant("2 - Static")
                                << QVariant(2);
    QTest::newRow("enum degree names") << 0x10A70006u << hex("03000000") << false
                                       << QVariant(QString::fromUtf8("3 - 270\u00B0")) << QVariant(3);
    QTest::newRow("enum unnamed number") << 0x10A70100u << hex("05000000") << false << QVariant("5")
                                         << QVariant(5);
    QTest::newRow("enum hex value text") << 0x10A7F001u << hex("1f000000") << false
                                         << QVariant("0x1F - Thirty-one") << QVariant(31);
    QTest::newRow("enum wrong length with entry") << 0x10A70100u << hex("0200") << false << QVariant("02 00")
                                                  << QVariant(2);
    QTest::newRow("enum without entry as int") << 0x10A7F0F0u << hex("020000") << false << QVariant("2")
                                               << QVariant(2);
    // UInt
    QTest::newRow("uint all ones signed") << 0x11A70004u << hex("ffffffff") << false << QVariant("-1")
                                          << QVariant(-1);
    QTest::newRow("uint hex") << 0x11A70004u << le32(255) << true << QVariant("0x000000FF")
                              << QVariant("0x000000FF");
    QTest::newRow("uint named 0") << 0x11A70109u << le32(0) << false << QVariant("Not set") << QVariant(0);
    QTest::newRow("uint name before hex") << 0x11A70109u << le32(0) << true << QVariant("Not set")
                                          << QVariant("0x00000000");
    QTest::newRow("uint unnamed number") << 0x11A70109u << le32(8080) << false << QVariant("8080")
                                         << QVariant(8080);
    QTest::newRow("uint colour correction") << 0x11A70512u << le32(0x00FFEEDD) << true << QVariant("0x00FFEEDD")
                                            << QVariant("0x00FFEEDD");
    // IPv4
    QTest::newRow("ipv4") << 0x14A70101u << hex("c0a80102") << false << QVariant("192.168.1.2")
                          << QVariant("192.168.1.2");
    QTest::newRow("ipv4 zero") << 0x14A70101u << hex("00000000") << false << QVariant("Not set")
                               << QVariant("0.0.0.0");
    QTest::newRow("ipv4 of 5 bytes") << 0x14A70101u << hex("0102030405") << false
                                     << QVariant("01 02 03 04 05") << none;
    // MAC
    QTest::newRow("mac") << 0x15A70001u << hex("001a2b3c4d5e") << false << QVariant("00:1A:2B:3C:4D:5E")
                         << QVariant("00:1A:2B:3C:4D:5E");
    QTest::newRow("mac zero") << 0x15A70001u << QByteArray(6, '\0') << false << QVariant("Not set")
                              << QVariant("00:00:00:00:00:00");
    QTest::newRow("mac of 5 bytes") << 0x15A70001u << hex("0102030405") << false << QVariant("01 02 03 04 05")
                                    << none;
    // IPv6
    QTest::newRow("ipv6") << 0x16A70001u << hex("20010db8000000000000000000000001") << false
                          << QVariant("2001:db8::1") << QVariant("2001:db8::1");
    QTest::newRow("ipv6 zero") << 0x16A70001u << QByteArray(16, '\0') << false << QVariant("::")
                               << QVariant("::");
    QTest::newRow("ipv6 of 4 bytes") << 0x16A70001u << hex("c0a80102") << false << QVariant("C0 A8 01 02")
                                     << none;
    // UInt64
    QTest::newRow("uint64 max") << 0x18A70001u << hex("ffffffffffffffff") << false
                                << QVariant("18446744073709551615")
                                << QVariant(qulonglong(18446744073709551615ull));
    QTest::newRow("uint64 hex") << 0x18A70001u << hex("ff00000000000001") << true
                                << QVariant("0x01000000000000FF") << QVariant("0x01000000000000FF");
    QTest::newRow("uint64 short") << 0x18A70001u << hex("01") << false << QVariant("1")
                                  << QVariant(qulonglong(1));
    QTest::newRow("uint64 named") << 0x18A7F001u << hex("07") << true << QVariant("seven")
                                  << QVariant("0x0000000000000007");
    // Password
    QTest::newRow("password empty") << 0x19A70005u << QByteArray() << false << QVariant("Empty")
                                    << QVariant("Empty");
    QTest::newRow("password set") << 0x19A70005u << QByteArray("$1$saltsalt$qjXMvbEw8oaL.CzflDtaK/") << false
                                  << QVariant("Set") << QVariant("Set");
    // point
    QTest::newRow("point 16-bit") << 0x20A70001u << hex("fbff0300") << false << QVariant("-5,3")
                                  << QVariant("-5,3");
    QTest::newRow("point 32-bit") << 0x20A70001u << hex("7011010001000000") << false << QVariant("70000,1")
                                  << QVariant("70000,1");
    QTest::newRow("point other length") << 0x20A70001u << hex("010203") << false << QVariant("0,0")
                                        << QVariant("0,0");
    // rectangle
    QTest::newRow("rect") << 0x21A70501u << hex("000000008002e001") << false << QVariant("640x480+0+0")
                          << QVariant("640x480+0+0");
    QTest::newRow("rect negative offset") << 0x21A70501u << hex("f6ff14008002e001") << false
                                          << QVariant("640x480-10+20") << QVariant("640x480-10+20");
    QTest::newRow("rect zero width") << 0x21A70501u << hex("000000000000e001") << false << QVariant("Not set")
                                     << QVariant("0x480+0+0");
    QTest::newRow("rect 32-bit") << 0x21A70501u << hex("0a000000ecffffff7011010001000000") << false
                                 << QVariant("70000x1+10-20") << QVariant("70000x1+10-20");
    QTest::newRow("rect other length") << 0x21A70501u << hex("0102030405") << false << QVariant("Not set")
                                       << QVariant("0x0+0+0");
    // size
    QTest::newRow("size") << 0x22A70008u << hex("20035802") << false << QVariant("800x600")
                          << QVariant("800x600");
    QTest::newRow("size zero") << 0x22A70008u << hex("00000000") << false << QVariant("Not set")
                               << QVariant("0x0");
    QTest::newRow("size 32-bit") << 0x22A70008u << hex("7011010001000000") << false << QVariant("70000x1")
                                 << QVariant("70000x1");
    // no value form
    QTest::newRow("section") << 0xFFA70000u << hex("0100a702") << false << QVariant("01 00 A7 02") << none;
    QTest::newRow("unlisted type") << 0x30A70001u << hex("ab") << false << QVariant("AB") << none;
}

void TestValueCodec::format()
{
    QFETCH(uint32_t, key);
    QFETCH(QByteArray, payload);
    QFETCH(bool, hexPreference);
    QFETCH(QVariant, display);
    QFETCH(QVariant, edit);

    const QVariant shown = formatPayload(key, payload, false, hexPreference, &m_map);
    QCOMPARE(shown.typeId(), QMetaType::QString);
    QCOMPARE(shown, display);

    const QVariant edited = formatPayload(key, payload, true, hexPreference, &m_map);
    QCOMPARE(edited.typeId(), edit.typeId());
    QCOMPARE(edited, edit);
}

void TestValueCodec::parse_data()
{
    QTest::addColumn<uint32_t>("key");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("payload");

    const QByteArray refused;
    // Binary
    QTest::newRow("binary odd tail ignored") << 0x00A70300u << QVariant("0a1bC") << true << hex("0a1b");
    QTest::newRow("binary with blanks") << 0x00A70300u << QVariant("  0a 1b\t") << true << hex("0a1b");
    QTest::newRow("binary empty") << 0x00A70300u << QVariant("") << true << QByteArray();
    QTest::newRow("binary bad digit") << 0x00A70300u << QVariant("0g") << false << refused;
    QTest::newRow("binary split pair") << 0x00A70300u << QVariant("0 A") << false << refused;
    // Int and Enum
    QTest::newRow("int number") << 0x01A70112u << QVariant(-1) << true << hex("ffffffff");
    QTest::newRow("int text") << 0x01A70112u << QVariant("16") << true << hex("10000000");
    QTest::newRow("int hex text") << 0x01A70112u << QVariant("0x10") << true << hex("10000000");
    QTest::newRow("int upper X") << 0x01A70112u << QVariant("0X10") << false << refused;
    QTest::newRow("int not a number") << 0x01A70112u << QVariant("abc") << false << refused;
    QTest::newRow("int text beyond 32 bits") << 0x01A70112u << QVariant("2147483648") << false << refused;
    QTest::newRow("int number beyond 32 bits") << 0x01A70112u << QVariant(qlonglong(1) << 40) << false
                                               << refused;
    QTest::newRow("enum number") << 0x10A70100u << QVariant(2) << true << hex("02000000");
    QTest::newRow("enum text") << 0x10A70100u << QVariant("-2") << true << hex("feffffff");
    // Bool, String
    QTest::newRow("bool true") << 0x02A70001u << QVariant(true) << true << hex("01");
    QTest::newRow("bool false") << 0x02A70001u << QVariant(false) << true << hex("00");
    QTest::newRow("string") << 0x03A70007u << QVariant(QString::fromUtf8("h\u00E9llo")) << true
                            << QByteArray("h\xC3\xA9llo");
    // Date, Time, DateTime
    QTest::newRow("date epoch") << 0x04A70001u << QVariant(QDate(1990, 1, 1)) << true << hex("00000000");
    QTest::newRow("date") << 0x04A70001u << QVariant(QDate(1990, 10, 16)) << true << hex("20010000");
    QTest::newRow("date before epoch") << 0x04A70001u << QVariant(QDate(1989, 12, 31)) << false << refused;
    QTest::newRow("date invalid") << 0x04A70001u << QVariant(QDate()) << false << refused;
    QTest::newRow("time") << 0x05A70001u << QVariant(QTime(1, 1, 1, 999)) << true << le32(3661);
    QTest::newRow("time invalid") << 0x05A70001u << QVariant(QTime()) << false << refused;
    QTest::newRow("datetime") << 0x06A70001u << QVariant(QDateTime(QDate(1990, 1, 2), QTime(1, 0))) << true
                              << le32(1) + le32(3600);
    QTest::newRow("datetime before epoch") << 0x06A70001u
                                           << QVariant(QDateTime(QDate(1989, 12, 31), QTime(23, 59))) << false
                                           << refused;
    QTest::newRow("datetime invalid") << 0x06A70001u << QVariant(QDateTime()) << false << refused;
    // BitArray
    QTest::newRow("bits") << 0x07A70001u << QVariant("10000000 00000001") << true << hex("0180");
    QTest::newRow("bits without blanks") << 0x07A70001u << QVariant("1000000000000001") << true << hex("0180");
    QTest::newRow("bits short tail ignored") << 0x07A70001u << QVariant("11111111 1010") << true << hex("ff");
    QTest::newRow("bits bad character") << 0x07A70001u << QVariant("10000002") << false << refused;
    // Int64
    QTest::newRow("int64 text") << 0x08A70001u << QVariant("-1") << true << hex("ffffffffffffffff");
    QTest::newRow("int64 hex") << 0x08A70001u << QVariant("0x100000000") << true << hex("0000000001000000");
    QTest::newRow("int64 number") << 0x08A70001u << QVariant(qlonglong(5)) << true << hex("0500000000000000");
    // UInt
    QTest::newRow("uint -1 number") << 0x11A70004u << QVariant(-1) << true << hex("ffffffff");
    QTest::newRow("uint hex text") << 0x11A70004u << QVariant("0xFFFFFFFF") << true << hex("ffffffff");
    QTest::newRow("uint decimal text") << 0x11A70004u << QVariant("4294967295") << true << hex("ffffffff");
    QTest::newRow("uint text beyond 32 bits") << 0x11A70004u << QVariant("4294967296") << false << refused;
    QTest::newRow("uint wide number") << 0x11A70004u << QVariant(qlonglong(4294967295)) << true
                                      << hex("ffffffff");
    QTest::newRow("uint number too wide") << 0x11A70004u << QVariant(qlonglong(4294967296)) << false
                                          << refused;
    // IPv4
    QTest::newRow("ipv4") << 0x14A70101u << QVariant("192.168.1.2") << true << hex("c0a80102");
    QTest::newRow("ipv4 empty") << 0x14A70101u << QVariant("") << true << hex("00000000");
    QTest::newRow("ipv4 given ipv6") << 0x14A70101u << QVariant("::1") << false << refused;
    QTest::newRow("ipv4 out of range") << 0x14A70101u << QVariant("300.1.1.1") << false << refused;
    QTest::newRow("ipv4 name") << 0x14A70101u << QVariant("hello") << false << refused;
    // MAC
    QTest::newRow("mac colons") << 0x15A70001u << QVariant("00:1A:2B:3C:4D:5E") << true << hex("001a2b3c4d5e");
    QTest::newRow("mac hyphens") << 0x15A70001u << QVariant("00-1a-2B-3c-4d-5e") << true << hex("001a2b3c4d5e");
    QTest::newRow("mac empty") << 0x15A70001u << QVariant("") << true << QByteArray(6, '\0');
    QTest::newRow("mac mixed") << 0x15A70001u << QVariant("00:1A-2B:3C:4D:5E") << false << refused;
    QTest::newRow("mac short group") << 0x15A70001u << QVariant("0:1A:2B:3C:4D:5E") << false << refused;
    QTest::newRow("mac shifted group") << 0x15A70001u << QVariant("0:1A:2B:3C:4D:5E0") << false << refused;
    QTest::newRow("mac dots") << 0x15A70001u << QVariant("00.1A.2B.3C.4D.5E") << false << refused;
    QTest::newRow("mac bad digit") << 0x15A70001u << QVariant("00:1A:2B:3C:4D:5G") << false << refused;
    // IPv6
    QTest::newRow("ipv6") << 0x16A70001u << QVariant("2001:db8::1") << true
                          << hex("20010db8000000000000000000000001");
    QTest::newRow("ipv6 empty") << 0x16A70001u << QVariant("") << true << QByteArray(16, '\0');
    QTest::newRow("ipv6 given ipv4") << 0x16A70001u << QVariant("1.2.3.4") << false << refused;
    // UInt64
    QTest::newRow("uint64 text") << 0x18A70001u << QVariant("18446744073709551615") << true
                                 << hex("ffffffffffffffff");
    QTest::newRow("uint64 hex") << 0x18A70001u << QVariant("0x01000000000000FF") << true
                                << hex("ff00000000000001");
    QTest::newRow("uint64 number") << 0x18A70001u << QVariant(qulonglong(7)) << true << hex("0700000000000000");
    QTest::newRow("uint64 negative text") << 0x18A70001u << QVariant("-1") << false << refused;
    // Password
    QTest::newRow("password empty") << 0x19A70005u << QVariant("") << true << QByteArray();
    // point
    QTest::newRow("point") << 0x20A70001u << QVariant("10,20") << true << hex("0a001400");
    QTest::newRow("point negative") << 0x20A70001u << QVariant(" -5, 3") << true << hex("fbff0300");
    QTest::newRow("point wide") << 0x20A70001u << QVariant("70000,1") << true << hex("7011010001000000");
    QTest::newRow("point other characters dropped") << 0x20A70001u << QVariant("a1b,2") << true
                                                    << hex("01000200");
    QTest::newRow("point three parts") << 0x20A70001u << QVariant("1,2,3") << false << refused;
    QTest::newRow("point one part") << 0x20A70001u << QVariant("1") << false << refused;
    QTest::newRow("point empty part") << 0x20A70001u << QVariant(",5") << false << refused;
    // size
    QTest::newRow("size with spaces") << 0x22A70008u << QVariant("800 x 600") << true << hex("20035802");
    QTest::newRow("size upper X") << 0x22A70008u << QVariant("800X600") << true << hex("20035802");
    QTest::newRow("size wide") << 0x22A70008u << QVariant("70000x1") << true << hex("7011010001000000");
    QTest::newRow("size missing height") << 0x22A70008u << QVariant("800x") << false << refused;
    QTest::newRow("size three parts") << 0x22A70008u << QVariant("1x2x3") << false << refused;
    // rectangle
    QTest::newRow("rect") << 0x21A70501u << QVariant("640x480+10+20") << true << hex("0a0014008002e001");
    QTest::newRow("rect upper X") << 0x21A70501u << QVariant("640X480+10+20") << true << hex("0a0014008002e001");
    QTest::newRow("rect minus separator") << 0x21A70501u << QVariant("640x480-10+20") << true
                                          << hex("f6ff14008002e001");
    QTest::newRow("rect plus minus") << 0x21A70501u << QVariant("640x480+-10-20") << true
                                     << hex("f6ffecff8002e001");
    QTest::newRow("rect wide") << 0x21A70501u << QVariant("70000x1+10-20") << true
                               << hex("0a000000ecffffff7011010001000000");
    QTest::newRow("rect missing offset") << 0x21A70501u << QVariant("640x480+10") << false << refused;
    QTest::newRow("rect no size") << 0x21A70501u << QVariant("640x480") << false << refused;
    QTest::newRow("rect x first") << 0x21A70501u << QVariant("x480+1+2") << false << refused;
    QTest::newRow("rect bad number") << 0x21A70501u << QVariant("640x480+1a+2") << false << refused;
    QTest::newRow("rect empty offset") << 0x21A70501u << QVariant("640x480++2") << false << refused;
    // no value form
    QTest::newRow("section") << 0xFFA70000u << QVariant("00") << false << refused;
    QTest::newRow("unlisted type") << 0x30A70001u << QVariant("00") << false << refused;
}

void TestValueCodec::parse()
{
    QFETCH(uint32_t, key);
    QFETCH(QVariant, input);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, payload);

    QByteArray out = "untouched";
    QCOMPARE(parsePayload(key, input, &out), accepted);
    QCOMPARE(out.toHex(), accepted ? payload.toHex() : QByteArray("untouched").toHex());
}

void TestValueCodec::editRoundTrip_data()
{
    QTest::addColumn<uint32_t>("key");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("hexPreference");

    QTest::newRow("binary") << 0x00A70300u << counting(300) << false;
    QTest::newRow("int") << 0x01A70112u << hex("85ffffff") << false;
    QTest::newRow("bool") << 0x02A70001u << hex("01") << false;
    QTest::newRow("string") << 0x03A70007u << QByteArray("Zentra \xE2\x80\xA6") << false;
    QTest::newRow("date") << 0x04A70001u << le32(12345) << false;
    QTest::newRow("time") << 0x05A70001u << le32(86399) << false;
    QTest::newRow("datetime") << 0x06A70001u << le32(12345) + le32(43210) << false;
    QTest::newRow("bits") << 0x07A70001u << hex("a55a0f") << false;
    QTest::newRow("int64") << 0x08A70001u << hex("0100000000000080") << false;
    QTest::newRow("enum") << 0x10A70100u << hex("02000000") << false;
    QTest::newRow("uint") << 0x11A70004u << hex("feffffff") << false;
    QTest::newRow("uint hex") << 0x11A70512u << hex("ddeeff00") << true;
    QTest::newRow("ipv4") << 0x14A70101u << hex("0a000001") << false;
    QTest::newRow("mac") << 0x15A70001u << hex("0a1b2c3d4e5f") << false;
    QTest::newRow("ipv6") << 0x16A70001u << hex("fe800000000000000000000000000001") << false;
    QTest::newRow("uint64") << 0x18A70001u << hex("ffffffffffffffff") << false;
    QTest::newRow("uint64 hex") << 0x18A70001u << hex("0123456789abcdef") << true;
    QTest::newRow("point negative") << 0x20A70001u << hex("fbfff6ff") << false;
    QTest::newRow("rect negative offsets") << 0x21A70501u << hex("f6ffecff8002e001") << false;
    QTest::newRow("rect wide") << 0x21A70501u << hex("0a000000ecffffff7011010001000000") << false;
    QTest::newRow("size") << 0x22A70008u << hex("20035802") << false;
}

void TestValueCodec::editRoundTrip()
{
    QFETCH(uint32_t, key);
    QFETCH(QByteArray, payload);
    QFETCH(bool, hexPreference);

    const QVariant edit = formatPayload(key, payload, true, hexPreference, &m_map);
    QVERIFY(edit.isValid());
    QByteArray back;
    QVERIFY(parsePayload(key, edit, &back));
    QCOMPARE(back.toHex(), payload.toHex());
}

void TestValueCodec::storeWrappers()
{
    uint8_t buffer[64] = {};
    zn::RegistryHandle *root = zn::reg_open(buffer, sizeof buffer);
    QVERIFY(root);
    QVERIFY(zn::reg_set(root, 0x14A70101, "\xC0\xA8\x01\x02", 4));
    const size_t used = zn::reg_used_size(root);

    QCOMPARE(formatValue(root, 0x14A70101, false, false, &m_map), QVariant("192.168.1.2"));
    QVERIFY(!formatValue(root, 0x14A70102, false, false, &m_map).isValid());

    // Empty records are values too.
    QVERIFY(parseValue(root, 0x19A70005, QVariant("")));
    QCOMPARE(formatValue(root, 0x19A70005, false, false), QVariant("Empty"));

    QVERIFY(parseValue(root, 0x14A70101, QVariant("10.0.0.1")));
    uint32_t length = 0;
    const uint8_t *payload = zn::reg_get(root, 0x14A70101, &length);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(payload), length).toHex(), QByteArray("0a000001"));
    QCOMPARE(zn::reg_used_size(root), used + 8);
    zn::reg_close(root);
}

void TestValueCodec::refusedEditsLeaveStore()
{
    uint8_t buffer[32] = {};
    zn::RegistryHandle *root = zn::reg_open(buffer, sizeof buffer);
    QVERIFY(zn::reg_set(root, 0x14A70101, "\xC0\xA8\x01\x02", 4));
    zn::reg_close(root);
    root = zn::reg_open(buffer, sizeof buffer); // clean store over the same bytes
    const QByteArray before(reinterpret_cast<const char *>(buffer), sizeof buffer);

    QVERIFY(parseValue(root, 0x14A70101, QVariant("192.168.1.2"))); // same bytes
    QVERIFY(!zn::reg_is_dirty(root));
    QVERIFY(!parseValue(root, 0x14A70101, QVariant("::1")));
    QVERIFY(!parseValue(root, 0xFFA70000, QVariant("")));
    QVERIFY(!parseValue(root, 0x03A70007, QVariant("longer than the free space"))); // no room
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), sizeof buffer), before);
    QVERIFY(!zn::reg_is_dirty(root));
    zn::reg_close(root);
}

void TestValueCodec::passwordWithoutRandomIsRefused()
{
    uint8_t buffer[128] = {};
    zn::RegistryHandle *root = zn::reg_open(buffer, sizeof buffer);
    QVERIFY(parseValue(root, 0x19A70005, QVariant("secret")));
    QCOMPARE(formatValue(root, 0x19A70005, false, false), QVariant("Set"));
    const QByteArray before(reinterpret_cast<const char *>(buffer), sizeof buffer);

    setPasswordRandomSource([](uint8_t *, size_t) { return false; });
    const bool stored = parseValue(root, 0x19A70005, QVariant("other"));
    setPasswordRandomSource(nullptr);
    QVERIFY(!stored);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer), sizeof buffer), before);
    zn::reg_close(root);
}

QTEST_GUILESS_MAIN(TestValueCodec)
#include "tst_valuecodec.moc"
