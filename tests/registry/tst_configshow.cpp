// The registry printer behind "znscan-cli config show": names, types, values
// and nesting in both forms, with the sections it must never follow, because
// following them would loop; and the command itself on such a file and on one
// too big (the program comes from $ZNSCAN_CLI).
#include "configfile.h"
#include "registryprinter.h"
#include "store/blobbuilder.h"
#include "tagmap.h"

#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The text form rebuilt from the JSON form, which must show the same tree.
void jsonAsText(const QJsonObject &object, int depth, QString *text)
{
    const QString type = object["type"].toString();
    *text += QString(depth * 2, ' ') + object["name"].toString() + " (" + (type.isEmpty() ? "Tag" : type) + ' '
        + object["key"].toString() + ')' + (object.contains("value") ? " = " + object["value"].toString() : "");
    if (!object["description"].toString().isEmpty())
        *text += "  -- " + object["description"].toString();
    *text += '\n';
    QCOMPARE(object.contains("value"), !object.contains("children") && depth > 0);
    for (const QJsonValue &child : object["children"].toArray())
        jsonAsText(child.toObject(), depth + 1, text);
}

} // namespace

class TestConfigShow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_map.loadFile(":/maps/znmap.csv");
        QVERIFY(m_dir.isValid());
    }

    void printsTree()
    {
        const QByteArray general = record(0x10A70100, le32(2)) + record(0x11A70512, le32(0x00FFEEDD))
            + record(0x21A70501, hex("000000008002e001")) + record(0x30A70001, hex("ab"));
        // A record keyed 0xFFFFFFFF opens the parent section, a repeated key the first section of that
        // name: followed, they would loop or double the output below them, so they show their bytes.
        // The built-in map names two keys of one tag apart by their types.
        const QByteArray network = record(0xFFA70100, record(0xFFFFFFFF) + record(0x14A70101, hex("c0a80102"))
                                              + record(0x14A70107, hex("c0a80105")) + record(0x11A70107, le32(514)))
            + record(0xFFA70100, record(0xFFA70100));
        const OpenStore s(rootBlob(record(0xFFA70000, general) + network), 512);
        const QString text = registryToText(s.root, m_map);
        QString fromJson;
        jsonAsText(registryToJson(s.root, m_map), 0, &fromJson);
        QCOMPARE(fromJson, text);
        QCOMPARE(text,
                 "Root (Section 0xFFFFFFFF)\n"
                 "  General (Section 0xFFA70000)  -- General configuration\n"
                 "    Mode (Enum 0x10A70100) = 2 - Static  -- How network configuration is obtained\n"
                 "    Color correction (UInt 0x11A70512) = 0x00FFEEDD  -- "
                 "Signage Display Panel Color Correction (RGB888)\n"
                 "    Unit 1 Geometry (Tag 0x21A70501) = 640x480+0+0  -- Sub Unit 1 Geometry\n"
                 "    0x30A70001 (Tag 0x30A70001) = AB\n"
                 "  Network (Section 0xFFA70100)  -- Network configuration\n"
                 "    0xFFFFFFFF (Section 0xFFFFFFFF) = \n"
                 "    IP Address (IPv4 0x14A70101) = 192.168.1.2  -- Static IP address\n"
                 "    Syslog Host (IPv4 0x14A70107) = 192.168.1.5  -- Static IP address of syslog server\n"
                 "    Syslog Port (UInt 0x11A70107) = 514  -- Static port number of syslog server\n"
                 "  Network (Section 0xFFA70100) = 00 01 A7 FF 00 00 00 00  -- Network configuration\n");
    }

    void command()
    {
        // The 60-byte file that once crashed it, then the same with one byte more than any file may have.
        const QByteArray blob = rootBlob(record(0xFFA70100, record(0xFFFFFFFF)));
        QByteArray file(int(zn::configFileSize(size_t(blob.size()))), '\0');
        zn::configFileWrite(reinterpret_cast<const uint8_t *>(blob.constData()), size_t(blob.size()),
                            reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
        const QString path = m_dir.filePath("test.znc");
        for (const auto &[size, exitCode, error] : {std::tuple(60, 0, ""), std::tuple(4133, 3, ": File too big.\n")}) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file.leftJustified(size, '\0')) == size);
            out.close();
            for (const QStringList &args : {QStringList{"config", "show", path}, {"config", "show", path, "--json"}}) {
                QProcess process;
                process.start(qEnvironmentVariable("ZNSCAN_CLI"), args);
                QVERIFY(process.waitForFinished(10000));
                QCOMPARE(process.exitStatus(), QProcess::NormalExit);
                QCOMPARE(process.exitCode(), exitCode);
                QCOMPARE(process.readAllStandardError(), *error ? path.toUtf8() + error : QByteArray());
                QCOMPARE(process.readAllStandardOutput().isEmpty(), exitCode != 0);
            }
        }
    }

private:
    TagMap m_map;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestConfigShow)
#include "tst_configshow.moc"
