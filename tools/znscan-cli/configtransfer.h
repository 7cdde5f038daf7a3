// "znscan-cli config get MAC FILE.znc" and "config put MAC FILE.znc": one
// configuration transfer with one device, addressed by MAC (no scan needed),
// on a scan server of the command's own.
#pragma once

#include <QStringList>

#include <functional>
#include <optional>

class ScanClientItem;
class ScanServer;

// arguments: "znscan-cli config get" (or put) first, then its own. Exit
// status: 0 done, 1 the transfer failed (the server's error text on standard
// error), 2 usage error, 3 (put) a file the import would refuse.
int runConfigGetCommand(const QStringList &arguments);
int runConfigPutCommand(const QStringList &arguments);

// Parses "MAC FILE.znc" into item->info.mac and *path; returns the exit
// status when the command ends there (help, usage error).
std::optional<int> parseTransferArguments(const QStringList &arguments, const QString &description,
                                          const QString &fileHelp, ScanClientItem *item, QString *path);

// Starts a server, calls start(server) and waits for the transfer with item
// to end. The percentage goes to standard error when that is a terminal, as
// do the server's error texts. Returns 0 on completion, else 1.
int runConfigTransfer(ScanClientItem *item, const std::function<void(ScanServer &)> &start);
