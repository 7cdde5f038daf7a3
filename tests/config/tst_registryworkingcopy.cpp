// The registry a configuration dialog edits: export and import through real
// files (a write that fails half-way must not cut the old file), the
// refusals of the import, and what the model and the store are afterwards.
#include "configfile.h"
#include "registryblob.h"
#include "registrymodel.h"
#include "registryworkingcopy.h"
#include "store.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

constexpr size_t kCapacity = 4096;

QByteArray fileFor(const QByteArray &blob)
{
    QByteArray file(qsizetype(zn::configFileSize(size_t(blob.size()))), '\0');
    zn::configFileWrite(reinterpret_cast<const uint8_t *>(blob.constData()), size_t(blob.size()),
                        reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    return file;
}

// Files may not grow beyond limit bytes while it lives: a write past it
// fails (EFBIG) as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit reduced = m_old;
        reduced.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &reduced);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

} // namespace

class TestRegistryWorkingCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void exportImport();
    void exportFailure_data();
    void exportFailure();
    void importRefused_data();
    void importRefused();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString TestRegistryWorkingCopy::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// An exported file imports to the same blob; the import is an unsaved change
// even so, and the model shows the new store.
void TestRegistryWorkingCopy::exportImport()
{
    RegistryWorkingCopy device(kCapacity);
    device.load(sampleDeviceRegistry());
    QString error;
    const QString path = m_dir.filePath("device.znc");
    QVERIFY(device.exportFile(path, &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), fileFor(sampleDeviceRegistry()));

    RegistryModel model;
    RegistryWorkingCopy edited(kCapacity);
    edited.setModel(&model);
    edited.load(sampleDeviceRegistry());
    QVERIFY(!model.isModified());
    QVERIFY(edited.importFile(path, &error));
    QCOMPARE(edited.blob(), sampleDeviceRegistry());
    QCOMPARE(model.registry(), edited.root());
    QVERIFY(model.isModified());
    QVERIFY(edited.changes(nullptr).isEmpty());

    // A smaller registry leaves none of the bigger one's bytes behind it.
    QVERIFY(edited.importFile(write("empty.znc", fileFor(QByteArray())), &error));
    QCOMPARE(edited.blob(), rootBlob());
    const uint8_t *buffer = zn::reg_buffer(edited.root());
    QVERIFY(std::all_of(buffer + 8, buffer + kCapacity, [](uint8_t b) { return b == 0; }));
}

void TestRegistryWorkingCopy::exportFailure_data()
{
    QTest::addColumn<bool>("intoDirectory"); // else the disk fills up half-way

    QTest::newRow("write fails") << false;
    QTest::newRow("cannot open") << true;
}

void TestRegistryWorkingCopy::exportFailure()
{
    QFETCH(bool, intoDirectory);

    const QByteArray old = fileFor(rootBlob());
    QVERIFY(QDir(m_dir.path()).mkpath(QTest::currentDataTag()));
    const QString path = write(QString(QTest::currentDataTag()) + "/old.znc", old);
    RegistryWorkingCopy copy(kCapacity);
    copy.load(sampleDeviceRegistry());
    QString error;
    bool written = false;
    if (intoDirectory) {
        written = copy.exportFile(QFileInfo(path).path(), &error);
    } else {
        const FileSizeLimit limit(64);
        written = copy.exportFile(path, &error);
    }
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(QFileInfo(path).dir().entryList(QDir::Files), QStringList{"old.znc"}); // no leftovers
}

void TestRegistryWorkingCopy::importRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    QByteArray changed = fileFor(sampleDeviceRegistry());
    changed[30] = char(changed[30] ^ 0x40);
    QTest::newRow("4133 bytes") << fileFor(rootBlob(QByteArray(4133 - 44, 'x'))) << "File too big.";
    QTest::newRow("changed byte") << changed << "This is not a configuration file.";
    QTest::newRow("missing") << QByteArray() << "No such file or directory";
}

void TestRegistryWorkingCopy::importRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);

    const QString path = file.isEmpty() ? m_dir.filePath("missing.znc") : write("refused.znc", file);
    RegistryModel model;
    RegistryWorkingCopy copy(kCapacity);
    copy.setModel(&model);
    copy.load(sampleDeviceRegistry());
    zn::RegistryHandle *root = copy.root();
    QString reason;
    QVERIFY(!copy.importFile(path, &reason));
    QCOMPARE(reason, error);
    QCOMPARE(copy.root(), root);
    QCOMPARE(copy.blob(), sampleDeviceRegistry());
    QVERIFY(!model.isModified());
}

QTEST_MAIN(TestRegistryWorkingCopy)
#include "tst_registryworkingcopy.moc"
