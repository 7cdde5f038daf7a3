// The registry area of a simulated device that was given no file: sections of
// the built-in tag map with values that follow from the device's identity, so
// that every device holds a registry of its own. Some entries the tool adds to
// a downloaded registry are left out, as on a device fresh from the factory.
#pragma once

#include "simdevice.h"

#include <QByteArray>

constexpr qsizetype kRegistryArea = 4096;

// kRegistryArea bytes: the blob, then zeros.
QByteArray defaultRegistryArea(const SimDevice &device);
