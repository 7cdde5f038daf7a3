#include "configfileio.h"

#include "configfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

namespace {

// The texts belong to the dialog that shows them.
QString translated(const char *text)
{
    return QCoreApplication::translate("ScanClientRegistryDialog", text);
}

// Unbuffered writes, each checked: a write cut short (the disk is full) comes
// back without a reason, which only the next write gives. Buffered, the
// commit would even take the cut-off file.
bool writeAll(QIODevice *file, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file->write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

bool writeConfigFile(const QString &path, QByteArrayView blob, QString *error)
{
    QByteArray bytes(qsizetype(zn::configFileSize(size_t(blob.size()))), '\0');
    zn::configFileWrite(reinterpret_cast<const uint8_t *>(blob.data()), size_t(blob.size()),
                        reinterpret_cast<uint8_t *>(bytes.data()), size_t(bytes.size()));
    // A failed write, a full disk say, must not leave a cut-off file behind:
    // without a commit the new file is discarded.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && writeAll(&file, bytes) && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

bool readConfigFile(const QString &path, size_t registryCapacity, QByteArray *blob, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    if (zn::configFileCheckSize(uint64_t(file.size()), registryCapacity) == zn::ConfigFileStatus::TooBig) {
        *error = translated("File too big.");
        return false;
    }
    const QByteArray bytes = file.read(qint64(zn::configFileSize(registryCapacity)));
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    QByteArray registry(qsizetype(registryCapacity), '\0');
    size_t used = 0;
    if (zn::configFileImport(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()),
                             reinterpret_cast<uint8_t *>(registry.data()), registryCapacity, &used)
        != zn::ConfigFileStatus::Ok) {
        *error = translated("This is not a configuration file.");
        return false;
    }
    registry.truncate(qsizetype(used));
    *blob = registry;
    return true;
}
