// Configuration files (.znc) for the config commands: read and written as the
// configuration dialog's import and export do, failures told on standard error.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Exit status for a file that cannot be read or that the import would refuse.
inline constexpr int kExitRefusedFile = 3;

void printError(const QString &text);

// The file's registry blob (its used bytes); false after printing why the
// import would refuse the file.
bool loadConfigFile(const QString &path, QByteArray *blob);

// Writes the file whole or not at all; false after printing why.
bool saveConfigFile(const QString &path, QByteArrayView blob);
