// Plausible device identities for variety and load tests, the same for the
// same seed on every machine.
#pragma once

#include "simdevice.h"

#include <QList>

// Devices 02:5A:4E:ss:00:01 upward, ss being the low byte of the seed (unique
// MACs within a list, and between lists whose seeds differ in that byte and
// that hold fewer than 65536 devices), with a mix of boards, modes,
// dates, versions and remarks, some of them left out.
QList<SimDevice> generateDevices(int count, quint64 seed);
