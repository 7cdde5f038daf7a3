// "znscan-cli config get MAC FILE.znc" and "config put MAC [MAC...] FILE.znc":
// configuration transfers with devices addressed by MAC (no scan needed), on a
// scan server of the command's own.
#pragma once

#include "mac.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

class ScanClientItem;
class ScanServer;
class TransferBatch;

// arguments: "znscan-cli config get" (or put) first, then its own. Exit
// status: 0 done, 1 a transfer failed (the server's error text on standard
// error), 2 usage error, 3 (put) a file the import would refuse.
int runConfigGetCommand(const QStringList &arguments);
int runConfigPutCommand(const QStringList &arguments);

// Parses "MAC FILE.znc" (with severalDevices "MAC [MAC...] FILE.znc") into
// *macs and *path; returns the exit status when the command ends there (help,
// usage error).
std::optional<int> parseTransferArguments(const QStringList &arguments, const QString &description,
                                          const QString &fileHelp, bool severalDevices, QList<Mac> *macs,
                                          QString *path);

// Starts the server (unless it runs) and the batch's transfers, and waits
// until all have ended. A completed transfer is handed to finish, if any,
// which returns the reason it failed after all ("" for none). The server's
// error texts go to standard error; with resultLines each device's result
// line ("MAC ok" or "MAC failed: " and the reason) goes to standard output as
// it ends, otherwise the percentage goes to standard error when that is a
// terminal. True when the server started and every device succeeded.
using Finish = std::function<QString(ScanClientItem *)>;
bool runConfigTransfers(ScanServer &server, TransferBatch &batch, bool resultLines, const Finish &finish = {});
