// `znscan-cli buzz MAC` and `znscan-cli reset MAC`: one command to one device.
// Commands address a device by its MAC address, so no scan comes first.
#pragma once

#include <QStringList>

// arguments: the command's words first ("znscan-cli buzz"), then its own.
// Returns the exit status.
int runBuzzCommand(const QStringList &arguments);
int runResetCommand(const QStringList &arguments);
