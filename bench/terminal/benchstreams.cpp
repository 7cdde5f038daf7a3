#include "benchstreams.h"

#include "seededrandom.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace znbench {

namespace {

using Random = SeededRandom;

void appendWords(std::string &out, Random &random, int length)
{
    int written = 0;
    while (written < length) {
        if (written > 0) {
            out += ' ';
            ++written;
        }
        const int word = std::min(random.range(1, 9), length - written);
        for (int i = 0; i < word; ++i)
            out += char('a' + random.range(0, 25));
        written += word;
    }
}

void appendFormat(std::string &out, const char *format, auto... args)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n > 0)
        out.append(buffer, size_t(std::min(n, int(sizeof buffer) - 1)));
}

void appendMac(std::string &out, Random &random)
{
    appendFormat(out, "00:1A:2B:%02X:%02X:%02X", random.range(0, 255), random.range(0, 255), random.range(0, 255));
}

void appendIp(std::string &out, Random &random)
{
    appendFormat(out, "192.168.%d.%d", random.range(0, 3), random.range(1, 254));
}

void appendLogLine(std::string &out, Random &random)
{
    const int kind = random.range(0, 99);
    if (kind < 30) {
        appendFormat(out, "[Scan] %d bytes received from ", random.range(11, 400));
        appendIp(out, random);
        out += " (";
        appendMac(out, random);
        out += ")";
    } else if (kind < 45) {
        // The long identity line: wraps on an 80-column screen.
        out += "[Scan] Discover: ";
        appendMac(out, random);
        out += " ip ";
        appendIp(out, random);
        appendFormat(out, " mask 255.255.255.0 board %d name \"", random.range(1, 40));
        appendWords(out, random, random.range(4, 16));
        appendFormat(out, "\" cpu %d serial %08X version %d.%d", random.range(1, 4), unsigned(random.next()),
                     random.range(1, 3), random.range(0, 99));
    } else if (kind < 60) {
        out += "[Scan] Discovered ";
        appendMac(out, random);
        out += " at ";
        appendIp(out, random);
    } else if (kind < 75) {
        out += "[Scan] \x1b[33m";
        appendWords(out, random, random.range(15, 50));
        out += "\x1b[0m";
    } else if (kind < 85) {
        out += "[Scan] \x1b[31mTransfer error from ";
        appendMac(out, random);
        out += ": ";
        appendWords(out, random, random.range(5, 30));
        out += "\x1b[0m";
    } else if (kind < 93) {
        out += "[Socket] \x1b[33m";
        appendWords(out, random, random.range(10, 40));
        out += "\x1b[0m";
    } else {
        out += "[Scan] \x1b[1;32mDownload config from ";
        appendMac(out, random);
        out += "\x1b[0m";
    }
    out += "\r\n";
}

void appendCursorUpdate(std::string &out, Random &random)
{
    appendFormat(out, "\x1b[%d;%dH", random.range(1, 24), random.range(1, 70));
    switch (random.range(0, 4)) {
    case 0:
        appendFormat(out, "\x1b[%d;%dm", random.range(30, 37), random.range(40, 47));
        break;
    case 1:
        out += "\x1b[1;7m";
        break;
    case 2:
        out += "\x1b[0m";
        break;
    default:
        break;
    }
    appendWords(out, random, random.range(3, 40));
    if (random.chance(40))
        out += "\x1b[K";
    if (random.chance(5))
        out += "\x1b[1K";
}

void appendRegionScroll(std::string &out, Random &random)
{
    const int top = random.range(2, 10);
    const int bottom = random.range(top + 4, 23);
    appendFormat(out, "\x1b[%d;%dr", top, bottom);
    for (int i = random.range(1, 4); i > 0; --i) {
        appendFormat(out, "\x1b[%d;1H\x1b[%d%c", random.range(top, bottom), random.range(1, 3),
                     random.chance(50) ? 'L' : 'M');
        appendWords(out, random, random.range(20, 79));
    }
    out += "\x1b[r";
}

void appendStatusLine(std::string &out, Random &random)
{
    appendFormat(out, "\x1b[24;1H\x1b[7m %3d%% ", random.range(0, 100));
    appendWords(out, random, random.range(20, 60));
    out += "\x1b[0m\x1b[K";
}

} // namespace

std::string plainLines(size_t size)
{
    Random random(1);
    std::string out;
    out.reserve(size + 128);
    while (out.size() < size) {
        appendWords(out, random, random.range(10, 79));
        out += "\r\n";
    }
    return out;
}

std::string colouredLogLines(size_t size)
{
    Random random(2);
    std::string out;
    out.reserve(size + 256);
    while (out.size() < size)
        appendLogLine(out, random);
    return out;
}

std::string cursorAddressing(size_t size)
{
    Random random(3);
    std::string out;
    out.reserve(size + 1024);
    while (out.size() < size) {
        if (random.chance(3))
            out += "\x1b[H\x1b[2J";
        if (random.chance(2)) {
            appendFormat(out, "\x1b[%d;%dH\x1b[J", random.range(1, 24), random.range(1, 80));
        }
        for (int i = random.range(5, 30); i > 0; --i)
            appendCursorUpdate(out, random);
        if (random.chance(30))
            appendRegionScroll(out, random);
        appendStatusLine(out, random);
    }
    return out;
}

} // namespace znbench
