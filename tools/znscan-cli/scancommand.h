// `znscan-cli scan`: one scan on the same engine as the window, then the list.
#pragma once

#include <QStringList>

int runScanCommand(const QStringList &args);
