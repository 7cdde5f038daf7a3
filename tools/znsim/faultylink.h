// A lossy network between the tool and the simulated devices' transfer side:
// each datagram may be dropped, duplicated, held back so that later ones
// overtake it, or delayed. The decisions come from a seeded generator, so a
// run with the same seed and the same traffic makes the same ones.
// The protocol names no transfer: a datagram held back past the end of its
// transfer can meet the next one, so callers leave the link the delay plus
// kMaxHoldBackMs to drain between transfers with the same device.
#pragma once

#include "seededrandom.h"

#include <QObject>

#include <functional>

class FaultyLink : public QObject {
    Q_OBJECT

public:
    struct Options {
        int lossPercent = 0;
        int duplicatePercent = 0;
        int reorderPercent = 0; // held back 1..kMaxHoldBackMs ms on top of the delay
        int delayMs = 0;        // every datagram
    };
    static constexpr int kMaxHoldBackMs = 100;

    FaultyLink(const Options &options, quint64 seed, QObject *parent = nullptr);

    // Calls deliver once per copy that gets through: at once when nothing
    // delays it, else from the event loop.
    void pass(const std::function<void()> &deliver);

private:
    Options m_options;
    SeededRandom m_random;
};
