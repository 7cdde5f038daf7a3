// The simulator sends broadcasts: it refuses to run anywhere but in the
// private namespaces made by tools/netns/znnet-run.
#pragma once

#include <QString>

// True when ZN_NETNS is set and every interface is loopback or one of the
// harness' veth ends (znt<n> on the tool side, znd<n> on the device side).
bool insideHarnessNamespace(QString *why);
