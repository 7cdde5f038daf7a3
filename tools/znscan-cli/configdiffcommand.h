// "znscan-cli config diff A.znc B.znc": what changes from one configuration
// file to the other, key by key, as the configuration dialog lists what an
// upload changes.
#pragma once

#include <QStringList>

// arguments: "znscan-cli config diff" first, then its own. Exit status: 0
// the same values, 1 they differ, 2 usage error, 3 a file the import would
// refuse (the reason on standard error).
int runConfigDiffCommand(const QStringList &arguments);
