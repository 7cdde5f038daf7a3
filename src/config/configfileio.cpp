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

} // namespace

bool writeConfigFile(const QString &path, QByteArrayView blob, QString *error)
{
    QByteArray bytes(qsizetype(zn::configFileSize(size_t(blob.size()))), '\0');
    zn::configFileWrite(reinterpret_cast<const uint8_t *>(blob.data()), size_t(blob.size()),
                        reinterpret_cast<uint8_t *>(bytes.data()), size_t(bytes.size()));
    // A failed write, a full disk say, must not leave a cut-off file behind.
    // The explicit flush matters: commit() takes the file even where writing
    // out its buffer failed. Without a commit the new file is discarded.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
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
