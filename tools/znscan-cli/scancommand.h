// `znscan-cli scan`: one scan on the same engine as the window, then the list.
#pragma once

#include <QStringList>

// arguments: "znscan-cli scan" first, then the scan's own. Returns the exit status.
int runScanCommand(const QStringList &arguments);
