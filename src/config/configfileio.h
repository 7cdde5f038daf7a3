// Configuration files on disk: what the export and import buttons of the
// configuration dialog and "znscan-cli config" do with ".znc" files. Failures
// come back as the text the operator sees.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>

// Writes the file for a registry blob (its used bytes) in one piece: either
// the whole file replaces the old one, or the old file stays as it was and
// *error tells why.
bool writeConfigFile(const QString &path, QByteArrayView blob, QString *error);

// Reads and checks a file for a registry of registryCapacity bytes. On
// success *blob holds the registry's used bytes (a file without a blob gives
// an empty registry). Otherwise *error is the system's reason, "File too
// big." or "This is not a configuration file.".
bool readConfigFile(const QString &path, size_t registryCapacity, QByteArray *blob, QString *error);
