// The tag map CSV reader (field limits, quoting, line rules), the error list
// and its cap, merging, the default files and icon resolution.
#include "tagmap.h"
#include "tagmapreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString texts(const TagMapValue &v)
{
    return QStringList{v.name, v.description, v.help, v.icon, v.hex ? "x" : ""}.join('|');
}

// "name|description|help|icon|x" of a key, then " value=name" for each named
// value; of a named value alone when value is given; "-" if absent.
QString describe(const TagMapEntries &entries, uint32_t key, qint64 value = -1)
{
    const auto it = entries.constFind(key);
    if (it == entries.cend())
        return QStringLiteral("-");
    if (value >= 0)
        return it->values.contains(uint32_t(value)) ? texts(it->values[uint32_t(value)]) : QStringLiteral("-");
    QString described = texts(*it);
    for (const TagMapValue &v : it->values)
        described += QStringLiteral(" %1=%2").arg(TagMap::valueText(v), v.name);
    return described;
}

} // namespace

class TestTagMap : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<int>>("errors");
        QTest::addColumn<uint>("key");
        QTest::addColumn<qint64>("value");     // -1: the key and its named values
        QTest::addColumn<QString>("expected"); // empty: nothing defined

        const auto ok = [](const char *name, const QByteArray &text, uint key, qint64 value, const QString &expected) {
            QTest::newRow(name) << text << QList<int>() << key << value << expected;
        };
        const auto bad = [](const QByteArrayList &lines) {
            for (const QByteArray &line : lines)
                QTest::addRow("error: %s", line.left(30).constData()) << line << QList<int>{1} << 0u << -1ll << "";
        };
        ok("named value, key stays unnamed", "\"0x10A70006:3\",\"270\xC2\xB0\",", 0x10A70006, -1,
           QString::fromUtf8("|||| 3=270\u00B0"));
        bad({"\"0x02A70001\",Development mode,\"d\"", "\"0\",\"n\",", "\"0x10A7G\",\"n\",", "\"0x100000001\",\"n\",",
             "\"-1\",\"n\",", "\"5:z\",\"v\",", "\"5:\",\"v\",", "\"5:1:2\",\"v\",", "\"9\"x,\"n\",", "\"9\",\"n\"",
             "\"9\",\"n, d", ",,,h", ",,,,i", ",\"n\","});
        ok("unquoted fields", "0x02A70001,Mode,desc", 0x02A70001, -1, "Mode|desc|||");
        ok("flag field with other letters", "\"1\",\"C\",\"D\",,,\"abxy\"", 1, -1, "C|D|||x");
        ok("upper-case X is not the flag", "\"1\",\"C\",\"D\",,,\"X\"", 1, -1, "C|D|||");
        ok("all six fields", "'7', 'n' , 'd','<b>h</b>','ic','x'\r\n", 7, -1, "n|d|<b>h</b>|ic|x");
        ok("upper-case 0X prefix", "\"0XFF\",\"n\",", 255, -1, "n||||");
        ok("largest key", "\"4294967295\",\"n\",", 0xFFFFFFFF, -1, "n||||");
        ok("value 0x alone is 0 without hex", "\"5:0x\",\"zero\",", 5, 0, "zero||||");
        ok("value in hex sets hex", "\"5:0x1F\",\"v\",", 5, 31, "v||||x");
        ok("value with 0X does not set hex", "\"5:0X1F\",\"v\",", 5, 31, "v||||");
        ok("doubled quotes, comma inside", "\"9\",\"a, \"\"b\"\" c\",'it''s'", 9, -1, "a, \"b\" c|it's|||");
        ok("blanks around fields", " \t\"9\" , \"n\"\t,\v\"d\" \f", 9, -1, "n|d|||");
        ok("junk after description ignored", "\"9\",\"n\",\"d\" junk,\"h\"", 9, -1, "n|d|||");
        ok("open quote in help drops help", "\"9\",\"n\",\"d\",\"h, i", 9, -1, "n|d|||");
        ok("NUL ends the line", QByteArray("\"9\",\"n\",\"d\"\0,\"h\"", 16), 9, -1, "n|d|||");
        ok("comment", "  # \"9\",\"n\",", 9, -1, {});
        ok("separator ,,,,", ",,,,\r\n", 0, -1, {});
        ok("separator with flags", ",,,,,x", 0, -1, {});
        // Field limits.
        const QByteArray key62 = "0x" + QByteArray(59, '0') + "1";
        ok("key 62 bytes", "\"" + key62 + "\",n,", 1, -1, "n||||");
        ok("name 1022 bytes", "1,\"" + QByteArray(1022, 'n') + "\",", 1, -1, QString(1022, 'n') + "||||");
        ok("quotes count once", "1,\"" + QByteArray(1020, 'n') + "\"\"\",", 1, -1, QString(1020, 'n') + "\"||||");
        ok("description 4094 bytes", "1,n," + QByteArray(4094, 'd'), 1, -1, "n|" + QString(4094, 'd') + "|||");
        ok("icon 254 bytes", "1,n,d,h," + QByteArray(254, 'i') + ",x", 1, -1, "n|d|h|" + QString(254, 'i') + "|x");
        ok("icon 255 bytes: empty, flags unread", "1,n,d,h," + QByteArray(255, 'i') + ",x", 1, -1, "n|d|h||");
        ok("flags 255 bytes: empty", "1,n,d,h,i," + QByteArray(255, 'x'), 1, -1, "n|d|h|i|");
        ok("help 16382 bytes fits a piece", "1,n,,'" + QByteArray(16370, 'h') + "'", 1, -1,
           "n||" + QString(16370, 'h') + "||");
        bad({"\"" + key62 + "0\",n,", "1,\"" + QByteArray(1023, 'n') + "\",", "1,n,'" + QByteArray(4095, 'd') + "'"});
        // 16383 bytes per read: the rest of a long line is read as the next line.
        QTest::newRow("long line in pieces") << "1,n,'" + QByteArray(16378, 'd') + "2,rest,\nbad line\n3,ok,\n"
                                             << QList<int>{1, 3} << 2u << -1ll << "rest||||";
        QTest::newRow("byte order mark first") << QByteArray("\xEF\xBB\xBF\"1\",\"a\",\r\n\"2\",\"b\",\r\n")
                                               << QList<int>() << 1u << -1ll << "a||||";
        QTest::newRow("byte order mark later") << QByteArray("\"1\",\"a\",\r\n\xEF\xBB\xBF\"2\",\"b\",\r\n")
                                               << QList<int>{2} << 1u << -1ll << "a||||";
        QTest::newRow("later lines win") << QByteArray("5:1,one,\n5,first,d1,h1,i1,x\n5:1,uno,\n5:2,two,\n5,second,\n")
                                         << QList<int>() << 5u << -1ll << "second|||| 1=uno 2=two";
    }

    void lines()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<int>, errors);
        QFETCH(uint, key);
        QFETCH(qint64, value);
        QFETCH(QString, expected);

        QByteArray copy = text;
        QBuffer buffer(&copy);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const TagMapFileContents contents = readTagMap(&buffer);
        QCOMPARE(contents.errorLines, errors);
        if (expected.isEmpty())
            QVERIFY(contents.entries.isEmpty());
        else
            QCOMPARE(describe(contents.entries, key, value), expected);
    }

    void loadFiles()
    {
        // An earlier file's definition of a key wins, its named values included. The error cap counts over
        // all files; a file that cannot be opened is always reported.
        QTemporaryDir dir;
        const QString first = dir.filePath("first.csv");
        const QString second = dir.filePath("second.csv");
        const QString missing = dir.filePath("missing.csv");
        QVERIFY(writeFile(first, "\"5\",\"A\",\"from a\"\n\"5:1\",\"a-one\",\n" + QByteArray("x\n").repeated(15)));
        QVERIFY(writeFile(second, "\"5\",\"B\",\"from b\",,,\"x\"\n\"5:1\",\"b-one\",\n\"5:2\",\"b-two\",\n"
                                  "\"6:1\",\"six-one\",\n" + QByteArray("y\n").repeated(10)));
        TagMap map;
        for (const QString &file : {first, second, missing})
            map.loadFile(file);
        QCOMPARE(describe(map.entries(), 5), QStringLiteral("A|from a||| 1=a-one"));
        QCOMPARE(describe(map.entries(), 6), QStringLiteral("|||| 1=six-one"));
        QCOMPARE(map.errors().size(), 22);
        QCOMPARE(map.errors().at(14), first + ": Error in line 17.");
        QCOMPARE(map.errors().at(19), second + ": Error in line 9.");
        QCOMPARE(map.errors().at(20), QStringLiteral("Further error reporting suppressed."));
        QVERIFY(map.errors().at(21).startsWith("Cannot open tag map " + missing + ": "));
        QVERIFY(map.errors().at(21).size() > QString("Cannot open tag map " + missing + ": ").size());
    }

    void defaultsPreferResources()
    {
        // A maps directory next to the program may only add keys, and only from the ".csv" files right in it.
        QDir maps(QCoreApplication::applicationDirPath() + "/maps");
        QVERIFY(maps.mkpath("nested.csv") && maps.mkpath("sub"));
        const QStringList names{"upper.CSV", "backup.csv.bak", "other.txt", "sub/deep.csv"};
        for (int i = 0; i < names.size(); ++i) // the keys 1 to 4
            QVERIFY(writeFile(maps.filePath(names[i]), QByteArray::number(i + 1) + ",n,\n"));
        const QString extra = maps.filePath("extra.csv");
        QVERIFY(writeFile(extra, "\"0x02A70001\",\"Overridden\",\n\"0x02A7FFFF\",\"Extra\",\nbroken\n"));
        TagMap map;
        map.loadFile(extra); // stale state that loadDefaults must clear
        map.loadDefaults();
        maps.removeRecursively();
        QCOMPARE(map.find(0x02A70001)->name, QStringLiteral("Development mode"));
        QCOMPARE(map.find(0x02A7FFFF)->name, QStringLiteral("Extra"));
        QVERIFY(map.find(1) && !map.find(2) && !map.find(3) && !map.find(4));
        QCOMPARE(map.errors(), QStringList{extra + ": Error in line 3."});
    }

    void iconResolution_data()
    {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QStringList>("files"); // created in the working directory
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char *name, const QByteArray &map, const QStringList &files, uint key,
                            const QString &expected) { QTest::newRow(name) << map << files << key << expected; };
        const QString empty = QStringLiteral(":/icons/i16_empty.png");
        const QByteArray mine = "\"0x11A70001\",\"n\",\"d\",,\"mine\"\n";
        row("root folder", {}, {}, 0xFFFFFFFF, ":/icons/i16_folder.png");
        row("point has none", {}, {}, 0x20A70001, empty); // as a type the table does not list
        row("entry icon from resources", "\"0x11A70001\",\"n\",\"d\",,\"i16_bool\"\n", {}, 0x11A70001,
            ":/icons/i16_bool.png");
        row("entry icon missing", mine, {}, 0x11A70001, empty);
        row("xpm under icons", mine, {"icons/mine.xpm"}, 0x11A70001, "icons/mine.xpm");
        row("png before xpm", mine, {"mine.xpm", "icons/mine.png"}, 0x11A70001, "icons/mine.png");
        row("working directory first", mine, {"mine.png", "icons/mine.png"}, 0x11A70001, "mine.png");
        row("other keys keep type icon", mine, {"mine.png"}, 0x11A70002, ":/icons/i16_uint.png");
    }

    void iconResolution()
    {
        QFETCH(QByteArray, map);
        QFETCH(QStringList, files);
        QFETCH(uint, key);
        QFETCH(QString, expected);

        QTemporaryDir dir;
        QVERIFY(dir.isValid() && QDir(dir.path()).mkpath("icons"));
        for (const QString &file : std::as_const(files))
            QVERIFY(writeFile(dir.filePath(file), "not really an image"));
        QVERIFY(writeFile(dir.filePath("map.csv"), map));
        const QString oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        TagMap tagMap;
        tagMap.loadFile(dir.filePath("map.csv"));
        const QString path = tagMap.iconPathFor(key);
        QDir::setCurrent(oldCwd);
        QCOMPARE(path, expected);
        if (expected.startsWith(":/icons/i16_") && !expected.endsWith("_empty.png"))
            QVERIFY(!tagMap.iconFor(key).isNull());
    }
};

QTEST_MAIN(TestTagMap)
#include "tst_tagmap.moc"
