// `znscan-cli backup DIR`: one scan, then every device's configuration into
// DIR/MAC.znc.
#pragma once

#include <QStringList>

// arguments: "znscan-cli backup" first, then its own. Returns the exit status.
int runBackupCommand(const QStringList &arguments);
