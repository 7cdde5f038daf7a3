// Datagrams a hostile or broken host might send to the scanner's port: every
// size limit, truncated and wrongly checksummed frames, repeated and oversized
// records, absurd totals and offsets, transfer blocks nobody asked for.
#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

class SeededRandom;

// The next datagram of the stream: kinds take turns, contents come from
// random. macs: the devices whose MACs the transfer datagrams and discovery
// answers name (never empty).
QByteArray hostileDatagram(SeededRandom &random, const QList<uint64_t> &macs);
