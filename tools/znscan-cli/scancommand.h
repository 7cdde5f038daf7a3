// `znscan-cli scan`: one scan on the same engine as the window, then the list.
#pragma once

#include "commandline.h"

#include <QStringList>

#include <optional>

class ScanServer;

// arguments: "znscan-cli scan" first, then the scan's own. Returns the exit status.
int runScanCommand(const QStringList &arguments);

// The options of the commands that scan first: --wait MS and --quiet.
class ScanOptions
{
public:
    explicit ScanOptions(zn::CommandLine *command);

    // After parsing: the exit status of a usage error, if any.
    std::optional<int> check();

    // Starts the server (message lines on standard error unless --quiet),
    // scans and waits; false when the server cannot start.
    bool scan(ScanServer &server) const;

private:
    zn::CommandLine *m_command;
    QCommandLineOption m_wait;
    QCommandLineOption m_quiet;
    int m_waitMs = 0;
};
