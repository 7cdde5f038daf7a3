// The value text codec: display and edit texts of every type, the parse
// rules (random payloads through edit and back are the fuzz corpus replay's);
// password hashing, its salts, and the password refused without a random salt.
#include "password.h"
#include "store/blobbuilder.h"
#include "tagmap.h"
#include "valuecodec.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(uint32_t)

namespace {

// Named values that the built-in map does not have: a negative Int, a
// 64-bit key, an Enum value written in hexadecimal (whose line makes the entry).
const QByteArray kTestMap = "\"0x01A7F001:4294967295\",\"Minus one\",\n"
                            "\"0x08A7F001:5\",\"five\",\n"
                            "\"0x18A7F001:7\",\"seven\",\n"
                            "\"0x10A7F001:0x1F\",\"Thirty-one\",\n";

const QByteArray kRefused = "(refused)";
const QByteArray kSaltsalt = "$1$saltsalt$qjXMvbEw8oaL.CzflDtaK/"; // the hash of "password" with the salt "saltsalt"

} // namespace

class TestValueCodec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC"); // every local time exists
        QLocale::setDefault(QLocale::c());
        QVERIFY(m_dir.isValid());
        QFile file(m_dir.filePath("test.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kTestMap) == kTestMap.size());
        file.close();
        m_map.loadFile(":/maps/znmap.csv");
        m_map.loadFile(file.fileName());
        QCOMPARE(m_map.errors(), QStringList());
    }

    void format_data()
    {
        QTest::addColumn<uint32_t>("key");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("hexPreference");
        QTest::addColumn<QVariant>("display");
        QTest::addColumn<QVariant>("edit"); // invalid: no edit value

        const QVariant none;
        const auto row = [](const char *name, uint32_t key, const QByteArray &payload, bool hexPreference,
                            const QVariant &display, const QVariant &edit) {
            QTest::newRow(name) << key << payload << hexPreference << display << edit;
        };
        const QString shown = QString("A5 ").repeated(64) + "...";
        row("binary 1024", 0x00A70300, QByteArray(1024, '\xA5'), false, shown, QString("A5 ").repeated(1024).trimmed());
        row("binary 1025", 0x00A70300, QByteArray(1025, '\xA5'), false, shown, none);
        row("int low 32 of 8, signed", 0x01A70112, hex("ffffffff01000000"), false, "-1", -1);
        row("int named", 0x01A7F001, hex("ffffffff"), false, "Minus one", -1);
        row("bool false", 0x02A70001, hex("00"), false, "False", false);
        row("bool any nonzero", 0x02A70001, hex("0002"), false, "True", true);
        const QString hello = QString::fromUtf8("h\u00E9llo");
        row("string", 0x03A70007, "h\xC3\xA9llo", false, hello, hello);
        const QString marked = QChar(0xFEFF) + QString("ab");
        row("string with a byte order mark", 0x03A70007, "\xEF\xBB\xBF" "ab", false, marked, marked);
        row("date low 32 of 8", 0x04A70001, hex("2001000001000000"), false, "16 Oct 1990", QDate(1990, 10, 16));
        row("time wraps at a day", 0x05A70001, le32(86400 + 3661), false, "01:01:01", QTime(1, 1, 1));
        row("datetime", 0x06A70001, le32(1) + le32(3600), false, "2 Jan 1990 01:00:00",
            QDateTime(QDate(1990, 1, 2), QTime(1, 0)));
        row("datetime of 9 bytes", 0x06A70001, hex("01000000100e000078"), false, "01 00 00 00 10 0E 00 00 78", none);
        row("bits", 0x07A70001, hex("0180"), false, "10000000 00000001", "10000000 00000001");
        row("bits 9 bytes", 0x07A70001, hex("ff000000000000000001"), false,
            "11111111" + QString(" 00000000").repeated(7) + " ...",
            "11111111" + QString(" 00000000").repeated(8) + " 10000000");
        row("int64 -1", 0x08A70001, hex("ffffffffffffffff"), false, "-1", qlonglong(-1));
        row("int64 named", 0x08A7F001, hex("05"), false, "five", qlonglong(5));
        row("int64 wide is not named", 0x08A7F001, hex("0500000001000000"), false, "4294967301", qlonglong(4294967301));
        row("enum named", 0x10A70100, hex("02000000"), false, "2 - Static", 2);
        row("enum unnamed number", 0x10A70100, hex("05000000"), false, "5", 5);
        row("enum hex value text", 0x10A7F001, hex("1f000000"), false, "0x1F - Thirty-one", 31);
        row("enum wrong length with entry", 0x10A70100, hex("0200"), false, "02 00", 2);
        row("enum without entry as int", 0x10A7F0F0, hex("020000"), false, "2", 2);
        row("uint all ones signed", 0x11A70004, hex("ffffffff"), false, "-1", -1);
        row("uint hex", 0x11A70004, le32(255), true, "0x000000FF", "0x000000FF");
        row("uint named 0", 0x11A70109, le32(0), false, "Not set", 0);
        row("uint name before hex", 0x11A70109, le32(0), true, "Not set", "0x00000000");
        row("ipv4", 0x14A70101, hex("c0a80102"), false, "192.168.1.2", "192.168.1.2");
        row("ipv4 zero", 0x14A70101, hex("00000000"), false, "Not set", "0.0.0.0");
        row("ipv4 of 5 bytes", 0x14A70101, hex("0102030405"), false, "01 02 03 04 05", none);
        row("mac", 0x15A70001, hex("001a2b3c4d5e"), false, "00:1A:2B:3C:4D:5E", "00:1A:2B:3C:4D:5E");
        row("mac zero", 0x15A70001, QByteArray(6, '\0'), false, "Not set", "00:00:00:00:00:00");
        row("ipv6", 0x16A70001, hex("20010db8000000000000000000000001"), false, "2001:db8::1", "2001:db8::1");
        row("ipv6 of 4 bytes", 0x16A70001, hex("c0a80102"), false, "C0 A8 01 02", none);
        row("uint64 max", 0x18A70001, hex("ffffffffffffffff"), false, "18446744073709551615",
            qulonglong(18446744073709551615ull));
        row("uint64 hex", 0x18A70001, hex("ff00000000000001"), true, "0x01000000000000FF", "0x01000000000000FF");
        row("uint64 named", 0x18A7F001, hex("07"), true, "seven", "0x0000000000000007");
        row("password empty", 0x19A70005, {}, false, "Empty", "Empty");
        row("password set", 0x19A70005, kSaltsalt, false, "Set", "Set");
        row("point 16-bit", 0x20A70001, hex("fbff0300"), false, "-5,3", "-5,3");
        row("point 32-bit", 0x20A70001, hex("7011010001000000"), false, "70000,1", "70000,1");
        row("point other length", 0x20A70001, hex("010203"), false, "0,0", "0,0");
        row("rect negative offset", 0x21A70501, hex("f6ff14008002e001"), false, "640x480-10+20", "640x480-10+20");
        row("rect zero width", 0x21A70501, hex("000000000000e001"), false, "Not set", "0x480+0+0");
        row("rect 32-bit", 0x21A70501, hex("00000000ecffffff7011010001000000"), false, "70000x1+0-20", "70000x1+0-20");
        row("rect other length", 0x21A70501, hex("0102030405"), false, "Not set", "0x0+0+0");
        row("size", 0x22A70008, hex("20035802"), false, "800x600", "800x600");
        row("size zero", 0x22A70008, hex("00000000"), false, "Not set", "0x0");
        row("size 32-bit", 0x22A70008, hex("7011010001000000"), false, "70000x1", "70000x1");
        row("unlisted type", 0x30A70001, hex("ab"), false, "AB", none);
    }

    void format()
    {
        QFETCH(uint32_t, key);
        QFETCH(QByteArray, payload);
        QFETCH(bool, hexPreference);
        QFETCH(QVariant, display);
        QFETCH(QVariant, edit);

        const QVariant shown = formatPayload(key, payload, false, hexPreference, &m_map);
        QCOMPARE(shown.typeId(), QMetaType::QString);
        QCOMPARE(shown.toString(), display.toString());
        const QVariant edited = formatPayload(key, payload, true, hexPreference, &m_map);
        QCOMPARE(edited.typeId(), edit.typeId());
        QCOMPARE(edited, edit);
    }

    void parse_data()
    {
        QTest::addColumn<uint32_t>("key");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QByteArray>("payload");

        const auto row = [](const char *name, uint32_t key, const QVariant &input, const QByteArray &payload) {
            QTest::newRow(name) << key << input << payload;
        };
        const auto refused = [](uint32_t key, const QVariantList &inputs) {
            for (const QVariant &input : inputs)
                QTest::addRow("%08X refuses %s", key, qPrintable(input.toString())) << key << input << kRefused;
        };
        row("binary with blanks, odd tail ignored", 0x00A70300, "  0a 1b\tC", hex("0a1b"));
        refused(0x00A70300, {"0g", "0 A"});
        row("int text", 0x01A70112, "16", hex("10000000"));
        row("int hex text", 0x01A70112, "0x10", hex("10000000"));
        refused(0x01A70112, {"0X10", "0x-10", "0x0x10", "0x 10", "0x", "abc", "2147483648", qlonglong(1) << 40});
        row("enum text", 0x10A70100, "-2", hex("feffffff"));
        refused(0x04A70001, {QDate(1989, 12, 31), QDate()});
        row("time drops milliseconds", 0x05A70001, QTime(1, 1, 1, 999), le32(3661));
        refused(0x05A70001, {QTime()});
        refused(0x06A70001, {QDateTime(QDate(1989, 12, 31), QTime(23, 59)), QDateTime()});
        row("bits without blanks", 0x07A70001, "1000000000000001", hex("0180"));
        row("bits short tail ignored", 0x07A70001, "11111111 1010", hex("ff"));
        refused(0x07A70001, {"10000002"});
        row("int64 hex", 0x08A70001, "0x100000000", hex("0000000001000000"));
        row("uint decimal text", 0x11A70004, "4294967295", hex("ffffffff"));
        row("uint wide number", 0x11A70004, qlonglong(4294967295), hex("ffffffff"));
        refused(0x11A70004, {"4294967296", qlonglong(4294967296)});
        row("ipv4 empty", 0x14A70101, "", hex("00000000"));
        refused(0x14A70101, {"::1", "300.1.1.1"});
        row("mac hyphens", 0x15A70001, "00-1a-2B-3c-4d-5e", hex("001a2b3c4d5e"));
        row("mac empty", 0x15A70001, "", QByteArray(6, '\0'));
        refused(0x15A70001, {"00:1A-2B:3C:4D:5E", "00-1A:2B-3C-4D-5E", "0:1A:2B:3C:4D:5E", "0:1A:2B:3C:4D:5E0",
                             "00:1A:2B:3C:4D:5E:", "00.1A.2B.3C.4D.5E", "00:1A:2B:3C:4D:5G"});
        row("ipv6 empty", 0x16A70001, "", QByteArray(16, '\0'));
        refused(0x16A70001, {"1.2.3.4"});
        refused(0x18A70001, {"-1"});
        row("point 16-bit ends", 0x20A70001, " -32768, 32767", hex("0080ff7f"));
        row("point other characters dropped", 0x20A70001, "a1b,2", hex("01000200"));
        refused(0x20A70001, {"1,2,3", "1", ",5"});
        row("size with spaces, upper X", 0x22A70008, "800 X 600", hex("20035802"));
        row("size wide", 0x22A70008, "70000x1", hex("7011010001000000"));
        refused(0x22A70008, {"800x", "1x2x3"});
        row("rect upper X, plus minus", 0x21A70501, "640X480+-10-20", hex("f6ffecff8002e001"));
        refused(0x21A70501, {"640x480+10", "640x480", "x480+1+2", "640x480+1a+2", "640x480++10+20", "640x480++2",
                             "640x+480+1+2", "640x480+10+"});
        row("password empty", 0x19A70005, "", QByteArray());
        refused(0xFFA70000, {"00"});
        refused(0x30A70001, {"00"});
    }

    void parse()
    {
        QFETCH(uint32_t, key);
        QFETCH(QVariant, input);
        QFETCH(QByteArray, payload);

        const bool accepted = payload != kRefused;
        QByteArray out = "untouched";
        QCOMPARE(parsePayload(key, input, &out), accepted);
        QCOMPARE(out.toHex(), accepted ? payload.toHex() : QByteArray("untouched").toHex());
    }

    void passwordSettings()
    {
        // MD5-crypt of "password" against `openssl passwd -1`: the prefix may be missing, at most 8 salt
        // characters up to a "$" count, and a whole hash serves as the setting.
        const std::pair<QByteArray, QByteArray> settings[] = {
            {"$1$saltsalt", kSaltsalt}, {"saltsalt", kSaltsalt}, {"$1$saltsaltEXTRA", kSaltsalt}, {kSaltsalt, kSaltsalt},
            {"$1$ab$cd", "$1$ab$oKsM6dtDD2L1bKowOBX.7."}};
        for (const auto &[setting, hash] : settings)
            QCOMPARE(md5Crypt("password", setting), hash);
    }

    void saltFromRandomBytes()
    {
        // Each byte gives the alphabet character of its low six bits; the text is hashed as UTF-8.
        const uint8_t bytes[8] = {0, 1, 63, 64, 65, 127, 128, 255};
        setPasswordRandomSource([&bytes](uint8_t *buffer, size_t size) {
            std::copy(bytes, bytes + std::min(size, sizeof bytes), buffer);
            return size == sizeof bytes;
        });
        const std::optional<QByteArray> hash = hashPassword(QString::fromUtf8("p\u00E4ssw\u00F6rd"));
        setPasswordRandomSource([](uint8_t *, size_t) { return false; });
        const std::optional<QByteArray> empty = hashPassword(QString()); // no password needs no salt
        setPasswordRandomSource(nullptr); // the system's source: a fresh salt each time
        const std::optional<QByteArray> first = hashPassword(QStringLiteral("same"));
        const std::optional<QByteArray> second = hashPassword(QStringLiteral("same"));
        QCOMPARE(hash, std::optional<QByteArray>("$1$./z./z.z$41w4RDzXcdN197QpPQSF3/"));
        QCOMPARE(empty, std::optional<QByteArray>(QByteArray()));
        QVERIFY(first && second && *first != *second);
        QCOMPARE(md5Crypt("same", first->left(11)), *first);
    }

    // A password is stored hashed, and never with a salt that could be guessed.
    void passwordWithoutRandomSaltIsRefused()
    {
        const OpenStore s(rootBlob(record(0x19A70005, kSaltsalt)), 80);
        const QByteArray before = s.snapshot();
        setPasswordRandomSource([](uint8_t *, size_t) { return false; });
        const bool stored = parseValue(s.root, 0x19A70005, QVariant("password"));
        setPasswordRandomSource(nullptr);
        QVERIFY(!stored);
        QCOMPARE(s.snapshot(), before);
    }

private:
    TagMap m_map;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestValueCodec)
#include "tst_valuecodec.moc"
