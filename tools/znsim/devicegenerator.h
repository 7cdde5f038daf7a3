// Plausible device identities for variety and load tests, the same for the
// same seed on every machine.
#pragma once

#include "simdevice.h"

#include <QList>

// Devices 02:5A:4E:00:00:01 upward (unique MACs), with a mix of boards, modes,
// dates, versions and remarks, some of them left out.
QList<SimDevice> generateDevices(int count, quint64 seed);
