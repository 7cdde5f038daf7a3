// The registry files the simulator keeps per device (znsim --save-dir), and
// what a download of such a registry must yield. Users link zn_configfile and
// zn_regdefaults.
#pragma once

#include "configfile.h"
#include "registrydefaults.h"

#include <QDir>
#include <QFile>

inline QString deviceFile(const QString &dir, QString mac)
{
    return QDir(dir).filePath(mac.replace(QLatin1Char(':'), QLatin1Char('-')) + QStringLiteral(".znc"));
}

// The registry blob of a configuration file; empty when it cannot be read or is refused.
inline QByteArray blobOfFile(const QString &path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const uint8_t *blob = nullptr;
    size_t size = 0;
    if (zn::configFileUnwrap(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), 4096, &blob,
                             &size)
        != zn::ConfigFileStatus::Ok)
        return {};
    return QByteArray(reinterpret_cast<const char *>(blob), qsizetype(size));
}

// The blob with the default entries a download adds.
inline QByteArray withDefaults(const QByteArray &blob)
{
    QByteArray area = blob + QByteArray(4096 - blob.size(), '\0');
    const size_t used = zn::completeRegistryDefaults(reinterpret_cast<uint8_t *>(area.data()), size_t(area.size()));
    return area.left(qsizetype(used));
}
