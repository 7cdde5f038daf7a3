// "znscan-cli config": the commands on configuration files.
#pragma once

#include <QStringList>

// arguments: "znscan-cli config" first, then the subcommand and its own.
int runConfigCommand(const QStringList &arguments);
