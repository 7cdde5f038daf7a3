// "znscan-cli config show FILE.znc [--json]": checks a configuration file as
// the import does and prints its registry.
#pragma once

#include <QStringList>

// arguments: "znscan-cli config show" first, then its own. Exit status: 0
// shown, 2 usage error, 3 a file the import would refuse (the reason on
// standard error).
int runConfigShowCommand(const QStringList &arguments);
