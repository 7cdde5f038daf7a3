// The command-line options of the transfer side of znsim: registries, the
// save directory, the faults of the link and of single devices.
#pragma once

#include "configpeer.h"

#include <QCommandLineParser>

QList<QCommandLineOption> configPeerCommandLineOptions();

// False with a reason for a malformed value or an unreadable registry file.
bool configPeerOptionsFromCommandLine(const QCommandLineParser &parser, ConfigPeer::Options *options, QString *error);
