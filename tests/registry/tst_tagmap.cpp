// The tag map CSV reader (field limits, quoting, line rules), the error list
// and its cap, merging, directory loading and icon resolution.
#include "tagmap.h"
#include "tagmapreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TagMapFileContents readText(const QByteArray &text)
{
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readTagMap(&buffer);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// "name|description|help|icon|hex" of a key or a named value, "-" if absent.
QString describe(const TagMapEntries &entries, uint32_t key, qint64 value)
{
    const auto it = entries.constFind(key);
    if (it == entries.cend())
        return QStringLiteral("-");
    const TagMapValue *v = &*it;
    if (value >= 0) {
        const auto vit = it->values.constFind(uint32_t(value));
        if (vit == it->values.cend())
            return QStringLiteral("-");
        v = &*vit;
    }
    return QStringList{v->name, v->description, v->help, v->icon, v->hex ? "x" : ""}.join('|');
}

QByteArray repeated(char c, int count)
{
    return QByteArray(count, c);
}

} // namespace

class TestTagMap : public QObject
{
    Q_OBJECT

private slots:
    void lineRules_data();
    void lineRules();
    void fieldLimits_data();
    void fieldLimits();
    void longLinesAreReadInPieces();
    void byteOrderMarkOnlyAtStart();
    void laterLinesOverwrite();
    void mergeKeepsEarlierDefinitions();
    void errorListIsCapped();
    void capCountsAcrossFiles();
    void openFailureIsAlwaysReported();
    void directoryLoadsCsvFilesOnly();
    void defaultsPreferResources();
    void valueTexts();
    void iconResolution_data();
    void iconResolution();
};

void TestTagMap::lineRules_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("key");
    QTest::addColumn<qint64>("value"); // -1: the key itself
    QTest::addColumn<QString>("expected");

    const QString none = QStringLiteral("-");
    QTest::newRow("named value, key stays unnamed")
        << QByteArray("\"0x10A70006:3\",\"270\xC2\xB0\",") << true << 0x10A70006u << qint64(3)
        << QString::fromUtf8("270\u00B0||||");
    QTest::newRow("entry made by a value line has empty texts")
        << QByteArray("\"0x10A70006:3\",\"270\",") << true << 0x10A70006u << qint64(-1) << "||||";
    QTest::newRow("unquoted name with a space")
        << QByteArray("\"0x02A70001\",Development mode,\"d\"") << false << 0x02A70001u << qint64(-1) << none;
    QTest::newRow("unquoted fields") << QByteArray("0x02A70001,Mode,desc") << true << 0x02A70001u
                                     << qint64(-1) << "Mode|desc|||";
    QTest::newRow("quoted x flag sets hex")
        << QByteArray("\"0x11A70512\",\"C\",\"D\",,,\"x\"") << true << 0x11A70512u << qint64(-1) << "C|D|||x";
    QTest::newRow("flag field with other letters")
        << QByteArray("\"1\",\"C\",\"D\",,,\"abxy\"") << true << 1u << qint64(-1) << "C|D|||x";
    QTest::newRow("upper-case X is not the flag")
        << QByteArray("\"1\",\"C\",\"D\",,,\"X\"") << true << 1u << qint64(-1) << "C|D|||";
    QTest::newRow("all six fields") << QByteArray("'7', 'n' , 'd','<b>h</b>','ic','x'\r\n") << true << 7u
                                    << qint64(-1) << "n|d|<b>h</b>|ic|x";
    QTest::newRow("key 0") << QByteArray("\"0\",\"n\",") << false << 0u << qint64(-1) << none;
    QTest::newRow("key 0x0") << QByteArray("\"0x0\",\"n\",") << false << 0u << qint64(-1) << none;
    QTest::newRow("G after hex digits") << QByteArray("\"0x10A7G\",\"n\",") << false << 0x10A7u << qint64(-1)
                                        << none;
    QTest::newRow("decimal key") << QByteArray("\"4096\",\"n\",") << true << 4096u << qint64(-1) << "n||||";
    QTest::newRow("upper-case 0X prefix") << QByteArray("\"0XFF\",\"n\",") << true << 255u << qint64(-1)
                                          << "n||||";
    QTest::newRow("key beyond 32 bits") << QByteArray("\"0x100000000\",\"n\",") << false << 0u << qint64(-1)
                                        << none;
    QTest::newRow("decimal beyond 32 bits") << QByteArray("\"4294967296\",\"n\",") << false << 0u
                                            << qint64(-1) << none;
    QTest::newRow("largest key") << QByteArray("\"4294967295\",\"n\",") << true << 0xFFFFFFFFu << qint64(-1)
                                 << "n||||";
    QTest::newRow("signed key") << QByteArray("\"-1\",\"n\",") << false << 0xFFFFFFFFu << qint64(-1) << none;
    QTest::newRow("value 0x alone is 0 without hex")
        << QByteArray("\"5:0x\",\"zero\",") << true << 5u << qint64(0) << "zero||||";
    QTest::newRow("value in hex sets hex") << QByteArray("\"5:0x1F\",\"v\",") << true << 5u << qint64(31)
                                           << "v||||x";
    QTest::newRow("value with 0X does not set hex")
        << QByteArray("\"5:0X1F\",\"v\",") << true << 5u << qint64(31) << "v||||";
    QTest::newRow("value 0 allowed") << QByteArray("\"5:0\",\"v\",\"vd\"") << true << 5u << qint64(0)
                                     << "v|vd|||";
    QTest::newRow("bad value") << QByteArray("\"5:z\",\"v\",") << false << 5u << qint64(-1) << none;
    QTest::newRow("empty value") << QByteArray("\"5:\",\"v\",") << false << 5u << qint64(-1) << none;
    QTest::newRow("value with key 0") << QByteArray("\"0:1\",\"v\",") << false << 0u << qint64(-1) << none;
    QTest::newRow("second colon") << QByteArray("\"5:1:2\",\"v\",") << false << 5u << qint64(-1) << none;
    QTest::newRow("doubled quotes") << QByteArray("\"9\",\"a \"\"b\"\" c\",'it''s'") << true << 9u
                                    << qint64(-1) << "a \"b\" c|it's|||";
    QTest::newRow("other quote inside") << QByteArray("\"9\",\"it's\",'say \"hi\"'") << true << 9u
                                        << qint64(-1) << "it's|say \"hi\"|||";
    QTest::newRow("comma inside quotes") << QByteArray("\"9\",\"a, b\",") << true << 9u << qint64(-1)
                                         << "a, b||||";
    QTest::newRow("blanks around fields") << QByteArray(" \t\"9\" , \"n\"\t,\v\"d\" \f") << true << 9u
                                          << qint64(-1) << "n|d|||";
    QTest::newRow("junk after description ignored")
        << QByteArray("\"9\",\"n\",\"d\" junk,\"h\"") << true << 9u << qint64(-1) << "n|d|||";
    QTest::newRow("junk after quoted key") << QByteArray("\"9\"x,\"n\",") << false << 9u << qint64(-1) << none;
    QTest::newRow("no comma after name") << QByteArray("\"9\",\"n\"") << false << 9u << qint64(-1) << none;
    QTest::newRow("no comma after key") << QByteArray("\"9\"") << false << 9u << qint64(-1) << none;
    QTest::newRow("open quote in name") << QByteArray("\"9\",\"n, d") << false << 9u << qint64(-1) << none;
    QTest::newRow("open quote in help drops help")
        << QByteArray("\"9\",\"n\",\"d\",\"h, i") << true << 9u << qint64(-1) << "n|d|||";
    QTest::newRow("empty quoted name") << QByteArray("\"9\",\"\",\"d\"") << true << 9u << qint64(-1) << "|d|||";
    QTest::newRow("NUL ends the line") << QByteArray("\"9\",\"n\",\"d\"\0,\"h\"", 16) << true << 9u
                                       << qint64(-1) << "n|d|||";
    QTest::newRow("comment") << QByteArray("  # \"9\",\"n\",") << true << 9u << qint64(-1) << none;
    QTest::newRow("blank line") << QByteArray(" \t\r\n") << true << 9u << qint64(-1) << none;
    QTest::newRow("separator ,,,") << QByteArray(",,,") << true << 0u << qint64(-1) << none;
    QTest::newRow("separator ,,,,") << QByteArray(",,,,\r\n") << true << 0u << qint64(-1) << none;
    QTest::newRow("separator with flags") << QByteArray(",,,,,x") << true << 0u << qint64(-1) << none;
    QTest::newRow("separator with help") << QByteArray(",,,h") << false << 0u << qint64(-1) << none;
    QTest::newRow("separator with icon") << QByteArray(",,,,i") << false << 0u << qint64(-1) << none;
    QTest::newRow("name without key") << QByteArray(",\"n\",") << false << 0u << qint64(-1) << none;
    QTest::newRow("only commas") << QByteArray(",") << false << 0u << qint64(-1) << none;
}

void TestTagMap::lineRules()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    QFETCH(uint, key);
    QFETCH(qint64, value);
    QFETCH(QString, expected);

    const TagMapFileContents contents = readText(line);
    QCOMPARE(contents.errorLines, ok ? QList<int>() : QList<int>{1});
    QCOMPARE(describe(contents.entries, key, value), expected);
    if (!ok || expected == QLatin1String("-"))
        QVERIFY(contents.entries.isEmpty());
}

void TestTagMap::fieldLimits_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("expected"); // of key 1

    const QByteArray key62 = "0x" + repeated('0', 59) + "1";
    QTest::newRow("key 62 bytes") << "\"" + key62 + "\",n," << true << "n||||";
    QTest::newRow("key 63 bytes") << "\"" + key62 + "0\",n," << false << "-";
    QTest::newRow("unquoted key 63 bytes") << key62 + "0,n," << false << "-";
    QTest::newRow("name 1022 bytes") << "1,\"" + repeated('n', 1022) + "\"," << true
                                     << QString(1022, 'n') + "||||";
    QTest::newRow("name 1023 bytes") << "1,\"" + repeated('n', 1023) + "\"," << false << "-";
    QTest::newRow("doubled quotes count once") << "1,\"" + repeated('n', 1020) + "\"\"\"," << true
                                               << QString(1020, 'n') + "\"||||";
    QTest::newRow("description 4094 bytes") << "1,n," + repeated('d', 4094) << true
                                            << "n|" + QString(4094, 'd') + "|||";
    QTest::newRow("description 4095 bytes") << "1,n,'" + repeated('d', 4095) + "'" << false << "-";
    QTest::newRow("icon 254 bytes") << "1,n,d,h," + repeated('i', 254) + ",x" << true
                                    << "n|d|h|" + QString(254, 'i') + "|x";
    QTest::newRow("icon 255 bytes: empty, flags unread") << "1,n,d,h," + repeated('i', 255) + ",x" << true
                                                         << "n|d|h||";
    QTest::newRow("flags 255 bytes: empty") << "1,n,d,h,i," + repeated('x', 255) << true << "n|d|h|i|";
    QTest::newRow("help 16382 bytes fits a piece") << "1,n,,'" + repeated('h', 16370) + "'" << true
                                                   << "n||" + QString(16370, 'h') + "||";
}

void TestTagMap::fieldLimits()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, ok);
    QFETCH(QString, expected);

    const TagMapFileContents contents = readText(line);
    QCOMPARE(contents.errorLines, ok ? QList<int>() : QList<int>{1});
    QCOMPARE(describe(contents.entries, 1, -1), expected);
}

void TestTagMap::longLinesAreReadInPieces()
{
    // 16383 bytes per read: the rest of a long line is read as the next line.
    const QByteArray text = "1,n,'" + repeated('d', 16378) + "2,rest,\n" + "bad line\n" + "3,ok,\n";
    const TagMapFileContents contents = readText(text);
    QCOMPARE(contents.errorLines, (QList<int>{1, 3}));
    QCOMPARE(describe(contents.entries, 2, -1), QStringLiteral("rest||||"));
    QCOMPARE(describe(contents.entries, 3, -1), QStringLiteral("ok||||"));
}

void TestTagMap::byteOrderMarkOnlyAtStart()
{
    const TagMapFileContents first = readText("\xEF\xBB\xBF\"1\",\"a\",\r\n\"2\",\"b\",\r\n");
    QVERIFY(first.errorLines.isEmpty());
    QCOMPARE(first.entries.size(), 2);

    const TagMapFileContents second = readText("\"1\",\"a\",\r\n\xEF\xBB\xBF\"2\",\"b\",\r\n");
    QCOMPARE(second.errorLines, QList<int>{2});
}

void TestTagMap::laterLinesOverwrite()
{
    const TagMapFileContents contents = readText("\"5:1\",\"one\",\n"
                                                 "\"5\",\"first\",\"d1\",\"h1\",\"i1\",\"x\"\n"
                                                 "\"5:1\",\"uno\",\n"
                                                 "\"5:2\",\"two\",\n"
                                                 "\"5\",\"second\",\n");
    QVERIFY(contents.errorLines.isEmpty());
    QCOMPARE(describe(contents.entries, 5, -1), QStringLiteral("second||||"));
    QCOMPARE(describe(contents.entries, 5, 1), QStringLiteral("uno||||"));
    QCOMPARE(describe(contents.entries, 5, 2), QStringLiteral("two||||"));
}

void TestTagMap::mergeKeepsEarlierDefinitions()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath("a.csv"), "\"5\",\"A\",\"from a\"\n\"5:1\",\"a-one\",\n"));
    QVERIFY(writeFile(dir.filePath("b.csv"),
                      "\"5\",\"B\",\"from b\",,,\"x\"\n\"5:1\",\"b-one\",\n\"5:2\",\"b-two\",\n"
                      "\"6:1\",\"six-one\",\n"));
    TagMap map;
    map.loadFile(dir.filePath("a.csv"));
    map.loadFile(dir.filePath("b.csv"));
    QVERIFY(map.errors().isEmpty());
    QCOMPARE(describe(map.entries(), 5, -1), QStringLiteral("A|from a|||"));
    QCOMPARE(map.find(5)->values.keys(), QList<uint32_t>{1});
    QCOMPARE(map.valueName(5, 1), QStringLiteral("a-one"));
    QCOMPARE(map.valueName(5, 2), QString());
    QCOMPARE(map.valueName(6, 1), QStringLiteral("six-one"));
    QCOMPARE(map.valueName(7, 1), QString());
}

void TestTagMap::errorListIsCapped()
{
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 0; i < 25; ++i)
        text += "bad\n";
    const QString path = dir.filePath("bad.csv");
    QVERIFY(writeFile(path, text));

    TagMap map;
    map.loadFile(path);
    QCOMPARE(map.errors().size(), 21);
    QCOMPARE(map.errors().first(), path + ": Error in line 1.");
    QCOMPARE(map.errors().at(19), path + ": Error in line 20.");
    QCOMPARE(map.errors().last(), QStringLiteral("Further error reporting suppressed."));
}

void TestTagMap::capCountsAcrossFiles()
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first.csv");
    const QString second = dir.filePath("second.csv");
    QVERIFY(writeFile(first, QByteArray("x\n").repeated(15)));
    QVERIFY(writeFile(second, QByteArray("\"1\",\"ok\",\n") + QByteArray("y\n").repeated(10)));

    TagMap map;
    map.loadFile(first);
    map.loadFile(second);
    QCOMPARE(map.errors().size(), 21);
    QCOMPARE(map.errors().at(14), first + ": Error in line 15.");
    QCOMPARE(map.errors().at(15), second + ": Error in line 2.");
    QCOMPARE(map.errors().at(19), second + ": Error in line 6.");
    QCOMPARE(map.errors().at(20), QStringLiteral("Further error reporting suppressed."));
    QVERIFY(map.find(1));
}

void TestTagMap::openFailureIsAlwaysReported()
{
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.csv");
    QVERIFY(writeFile(bad, QByteArray("x\n").repeated(30)));
    const QString missing = dir.filePath("missing.csv");

    TagMap map;
    map.loadFile(bad);
    map.loadFile(missing);
    QCOMPARE(map.errors().size(), 22);
    QVERIFY(map.errors().last().startsWith("Cannot open tag map " + missing + ": "));
    QVERIFY(map.errors().last().size() > QString("Cannot open tag map " + missing + ": ").size());
}

void TestTagMap::directoryLoadsCsvFilesOnly()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("upper.CSV"), "\"1\",\"upper\",\n"));
    QVERIFY(writeFile(dir.filePath("plain.csv"), "\"2\",\"plain\",\n"));
    QVERIFY(writeFile(dir.filePath("backup.csv.bak"), "\"3\",\"backup\",\n"));
    QVERIFY(writeFile(dir.filePath("other.txt"), "\"4\",\"other\",\n"));
    QVERIFY(QDir(dir.path()).mkpath("nested.csv"));
    QVERIFY(QDir(dir.path()).mkpath("sub"));
    QVERIFY(writeFile(dir.filePath("sub/deep.csv"), "\"5\",\"deep\",\n"));

    TagMap map;
    map.loadDirectory(dir.path());
    map.loadDirectory(dir.filePath("does-not-exist"));
    QVERIFY(map.errors().isEmpty());
    QCOMPARE(map.entries().keys(), (QList<uint32_t>{1, 2}));
}

void TestTagMap::defaultsPreferResources()
{
    // A maps directory next to the program may only add keys.
    const QString mapsDir = QCoreApplication::applicationDirPath() + "/maps";
    QVERIFY(QDir().mkpath(mapsDir));
    const QString extra = mapsDir + "/tst_tagmap_extra.csv";
    QVERIFY(writeFile(extra, "\"0x02A70001\",\"Overridden\",\n\"0x02A7FFFF\",\"Extra\",\nbroken\n"));

    TagMap map;
    map.loadFile(extra); // stale state that loadDefaults must clear
    map.loadDefaults();
    QFile::remove(extra);
    QDir().rmdir(mapsDir);

    QCOMPARE(map.find(0x02A70001)->name, QStringLiteral("Development mode"));
    QCOMPARE(map.find(0x02A7FFFF)->name, QStringLiteral("Extra"));
    QCOMPARE(map.errors(), QStringList{extra + ": Error in line 3."});
}

void TestTagMap::valueTexts()
{
    TagMapValue value;
    value.key = 0x2A;
    QCOMPARE(TagMap::valueText(value), QStringLiteral("42"));
    value.hex = true;
    QCOMPARE(TagMap::valueText(value), QStringLiteral("0x2A"));
    value.key = 0;
    QCOMPARE(TagMap::valueText(value), QStringLiteral("0x0"));
    value.key = 0xFFFFFFFF;
    value.hex = false;
    QCOMPARE(TagMap::valueText(value), QStringLiteral("4294967295"));

    QCOMPARE(TagMap::typeName(0x11A70004), QStringLiteral("UInt"));
    QCOMPARE(TagMap::typeName(0xFFFFFFFF), QStringLiteral("Section"));
    QCOMPARE(TagMap::typeName(0x21A70501), QString());
    QCOMPARE(TagMap::typeName(0x30A70501), QString());
}

void TestTagMap::iconResolution_data()
{
    QTest::addColumn<QByteArray>("map");
    QTest::addColumn<QStringList>("files"); // created in the working directory
    QTest::addColumn<uint>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray noMap;
    const QStringList noFiles;
    const QString empty = QStringLiteral(":/icons/i16_empty.png");
    QTest::newRow("root folder") << noMap << noFiles << 0xFFFFFFFFu << ":/icons/i16_folder.png";
    QTest::newRow("section") << noMap << noFiles << 0xFFA70100u << ":/icons/i16_folder.png";
    QTest::newRow("binary") << noMap << noFiles << 0x00A70300u << ":/icons/i16_data.png";
    QTest::newRow("int") << noMap << noFiles << 0x01A70112u << ":/icons/i16_int.png";
    QTest::newRow("bool") << noMap << noFiles << 0x02A70001u << ":/icons/i16_bool.png";
    QTest::newRow("string") << noMap << noFiles << 0x03A70003u << ":/icons/i16_string.png";
    QTest::newRow("date") << noMap << noFiles << 0x04A70001u << ":/icons/i16_date.png";
    QTest::newRow("time") << noMap << noFiles << 0x05A70001u << ":/icons/i16_time.png";
    QTest::newRow("datetime") << noMap << noFiles << 0x06A70001u << ":/icons/i16_datetime.png";
    QTest::newRow("bitarray") << noMap << noFiles << 0x07A70001u << ":/icons/i16_data.png";
    QTest::newRow("int64") << noMap << noFiles << 0x08A70001u << ":/icons/i16_int.png";
    QTest::newRow("enum") << noMap << noFiles << 0x10A70001u << ":/icons/i16_enum.png";
    QTest::newRow("uint") << noMap << noFiles << 0x11A70001u << ":/icons/i16_uint.png";
    QTest::newRow("ipv4") << noMap << noFiles << 0x14A70001u << ":/icons/i16_network.png";
    QTest::newRow("mac") << noMap << noFiles << 0x15A70001u << ":/icons/i16_network.png";
    QTest::newRow("ipv6") << noMap << noFiles << 0x16A70001u << ":/icons/i16_network.png";
    QTest::newRow("uint64") << noMap << noFiles << 0x18A70001u << ":/icons/i16_uint.png";
    QTest::newRow("password") << noMap << noFiles << 0x19A70005u << ":/icons/i16_password.png";
    QTest::newRow("point has none") << noMap << noFiles << 0x20A70001u << empty;
    QTest::newRow("rectangle has none") << noMap << noFiles << 0x21A70501u << empty;
    QTest::newRow("unlisted type") << noMap << noFiles << 0x30A70001u << empty;

    const QByteArray custom = "\"0x11A70001\",\"n\",\"d\",,\"mine\"\n";
    QTest::newRow("entry icon from resources") << QByteArray("\"0x11A70001\",\"n\",\"d\",,\"i16_bool\"\n")
                                               << noFiles << 0x11A70001u << ":/icons/i16_bool.png";
    QTest::newRow("entry icon missing") << custom << noFiles << 0x11A70001u << empty;
    QTest::newRow("xpm under icons") << custom << QStringList{"icons/mine.xpm"} << 0x11A70001u
                                     << "icons/mine.xpm";
    QTest::newRow("png before xpm") << custom << QStringList{"mine.xpm", "icons/mine.png"} << 0x11A70001u
                                    << "icons/mine.png";
    QTest::newRow("working directory first") << custom << QStringList{"mine.png", "icons/mine.png"}
                                             << 0x11A70001u << "mine.png";
    QTest::newRow("other keys keep type icon") << custom << QStringList{"mine.png"} << 0x11A70002u
                                               << ":/icons/i16_uint.png";
}

void TestTagMap::iconResolution()
{
    QFETCH(QByteArray, map);
    QFETCH(QStringList, files);
    QFETCH(uint, key);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString oldCwd = QDir::currentPath();
    QVERIFY(QDir(dir.path()).mkpath("icons"));
    for (const QString &file : std::as_const(files))
        QVERIFY(writeFile(dir.filePath(file), "not really an image"));
    QVERIFY(writeFile(dir.filePath("map.csv"), map));

    QDir::setCurrent(dir.path());
    TagMap tagMap;
    tagMap.loadFile(dir.filePath("map.csv"));
    const QString path = tagMap.iconPathFor(key);
    QDir::setCurrent(oldCwd);

    QCOMPARE(path, expected);
    if (expected.startsWith(":/icons/i16_") && expected != QLatin1String(":/icons/i16_empty.png"))
        QVERIFY(!tagMap.iconFor(key).isNull());
}

QTEST_MAIN(TestTagMap)
#include "tst_tagmap.moc"
