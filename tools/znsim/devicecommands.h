// Buzz and reset: the device only shows that it got them (a log line each);
// neither is answered.
#pragma once

class Simulator;

void registerDeviceCommands(Simulator &simulator);
