#include "vt100stream.h"

#include "seededrandom.h"

#include <algorithm>
#include <cstdio>

namespace vtdiff {

namespace {

using Random = SeededRandom;

// A parameter as hosts send it: usually in range, sometimes omitted, zero or
// far too large (every emulator clamps those alike).
std::string parameter(Random &random, int usual)
{
    const int pick = random.range(0, 19);
    if (pick == 0)
        return "";
    if (pick == 1)
        return "0";
    if (pick == 2)
        return std::to_string(random.range(usual + 1, 999));
    return std::to_string(random.range(1, usual));
}

std::string csi(const std::string &params, char final)
{
    return "\x1b[" + params + final;
}

std::string printable(Random &random)
{
    // Mostly short runs, now and then enough to wrap a line or two.
    const int length = random.chance(15) ? random.range(20, 200) : random.range(1, 12);
    std::string text;
    for (int i = 0; i < length; ++i)
        text += char(random.range(0x20, 0x7E));
    return text;
}

// The scroll region the stream has set, 0-based, bottom exclusive.
struct Region {
    int top;
    int bottom;
};

std::string setRegion(Random &random, int rows, Region &region)
{
    if (random.chance(20)) {
        region = {0, rows};
        return csi("", 'r');
    }
    const int top = random.range(1, rows - 1);
    const int bottom = random.range(top + 1, rows);
    region = {top - 1, bottom};
    return csi(std::to_string(top) + ";" + std::to_string(bottom), 'r');
}

std::string cursorTo(int row, int col)
{
    return csi(std::to_string(row) + ";" + std::to_string(col), 'H');
}

// libvterm acts on ICH and DCH only with the cursor inside the scroll region
// (the VT100 has neither); the stream places the cursor there first.
std::string insideRegion(Random &random, int cols, const Region &region)
{
    return cursorTo(random.range(region.top + 1, region.bottom), random.range(1, cols));
}

// After a character printed into the last column, libvterm keeps the pending
// wrap across LF, HT and the operations that do not move the cursor (ED, EL,
// IL, DL, tab stops, DECAWM); this core drops it on every control function
// but BS. Terminals differ there, so the stream positions the cursor first,
// which ends the pending wrap in both.
std::string placed(Random &random, int cols, int rows, const std::string &op)
{
    return cursorTo(random.range(1, rows), random.range(1, cols)) + op;
}

std::string operation(Random &random, int cols, int rows, Region &region)
{
    const bool fullRegion = region.top == 0 && region.bottom == rows;
    const int pick = random.range(0, 22);
    if (pick < 4)
        return printable(random);
    switch (pick) {
    case 4:
        return "\r";
    case 5: {
        // LF, VT and FF alike, alone or in runs (which scroll at once).
        std::string feeds;
        for (int n = random.chance(80) ? 1 : random.range(2, rows + 3); n > 0; --n)
            feeds += "\n\x0b\x0c"[random.range(0, 2)];
        return placed(random, cols, rows, feeds);
    }
    case 6:
        return "\r\n";
    case 7:
    case 8:
        // The VT100 stops CUU, CUD, VPR, CNL and CPL at the margins,
        // libvterm does not.
        if (!fullRegion)
            return "\r";
        return csi(parameter(random, rows), "ABeEF"[random.range(0, 4)]);
    case 9:
        return csi(parameter(random, cols), "CaDG`"[random.range(0, 4)]); // CUF HPR CUB CHA HPA
    case 10:
        return random.chance(50) ? csi(parameter(random, rows), 'd') // VPA
                                 : placed(random, cols, rows, csi(parameter(random, cols), 'X')); // ECH
    case 11:
        if (random.chance(10))
            return csi("", 'H');
        return csi(parameter(random, rows) + ";" + parameter(random, cols), random.chance(50) ? 'H' : 'f');
    case 12:
        return placed(random, cols, rows, csi(random.chance(25) ? "" : std::to_string(random.range(0, 2)), 'J'));
    case 13:
        return placed(random, cols, rows, csi(random.chance(25) ? "" : std::to_string(random.range(0, 2)), 'K'));
    case 14:
        return placed(random, cols, rows, csi(parameter(random, rows / 2), 'L'));
    case 15: // DL of a whole region at the top: libvterm erases what this core moves into the scrollback
        if (random.oneIn(uint32_t(rows)))
            return csi("", 'H') + csi(std::to_string(random.range(1, std::max(1, region.bottom - 1))), 'M');
        return cursorTo(random.range(2, rows), random.range(1, cols)) + csi(parameter(random, rows / 2), 'M');
    case 16:
        return insideRegion(random, cols, region) + csi(parameter(random, cols / 2), '@');
    case 17:
        return insideRegion(random, cols, region) + csi(parameter(random, cols / 2), 'P');
    case 18:
        return setRegion(random, rows, region);
    case 19:
        return placed(random, cols, rows, random.chance(50) ? "\t" : csi(parameter(random, 4), "IZ"[random.range(0, 1)]));
    case 20: {
        static const char *const kTabStops[] = {"\x1bH", "\x1b[3g", "\x1b[g", "\x1b[0g"}; // HTS, TBC
        return placed(random, cols, rows, kTabStops[random.range(0, 3)]);
    }
    case 21: {
        static const char *const kIndexes[] = {"\x1b" "D", "\x1b" "M", "\x1b" "E"}; // IND, RI, NEL
        return placed(random, cols, rows, kIndexes[random.range(0, 2)]);
    }
    default:
        return placed(random, cols, rows, random.chance(70) ? "\x1b[?7h" : "\x1b[?7l");
    }
}

// Everything the screen buffer does, with no regard for other terminals:
// resets, the alignment pattern and character table, line sizes, insert
// mode, coloured blanks, tab stops, huge counts, character sets, strings and
// UTF-8 (switched on by ESC % G).
std::string richOperation(Random &random, int cols, int rows, Region &region)
{
    static const char *const kModes[] = {
        "\r", "\n", "\r\n", "\x0b\x0c\n\n\n\n\n", "\x1b" "D", "\x1b" "M", "\x1b" "E", "\t", "\x1bH", "\x1b[g", "\x1b[3g",
        "\x1b[4h", "\x1b[4l", "\x1b[?7l", "\x1b[?7h", "\x1b[?6h", "\x1b[?6l", "\x1b" "7", "\x1b" "8",
        "\x1b#3", "\x1b#4", "\x1b#5", "\x1b#6", "\x1b[0m", "\x1b[44m", "\x1b[5;31m", "\x1b[7m", "\x1b[!u",
        "\x1b(0", "\x1b(B", "\x1bN", "\x1b]2;t\x1b\\", "\x1b%G", "\x1b%@", "\xe2\x94\x80\xc3\xa9",
    };
    static const char *const kResets[] = {"\x1b" "c", "\x1b[!p", "\x1b[?3h", "\x1b#8", "\x1b#7"};
    static const char kCounted[] = "LM@PXIZABCD";
    // Text with one byte that must end a run of printable ASCII, which the
    // feed scans eight bytes at a time (fed byte by byte it does not).
    static const char kRunEnds[] = "\x00\x08\x0d\x1f\x7f\x80\x9b\xc3\xff";
    const int pick = random.range(0, 20);
    if (pick < 4)
        return printable(random);
    if (pick == 20) {
        std::string text = std::string(size_t(random.range(8, 24)), 'a');
        text[size_t(random.range(0, int(text.size()) - 1))] = kRunEnds[random.range(0, 8)];
        return text;
    }
    if (pick < 5)
        return std::string(size_t(random.range(1, cols)), ' ');
    if (pick < 9)
        return kModes[random.range(0, int(std::size(kModes)) - 1)];
    if (pick < 10)
        return kResets[random.range(0, int(std::size(kResets)) - 1)];
    if (pick < 14)
        return csi(parameter(random, random.chance(50) ? rows : cols), kCounted[random.range(0, 10)]);
    if (pick < 16)
        return csi(std::to_string(random.range(0, 2)), random.chance(50) ? 'J' : 'K');
    if (pick < 18)
        return csi(parameter(random, rows) + ";" + parameter(random, cols), 'H');
    return setRegion(random, rows, region);
}

template <typename Generate>
std::vector<std::string> operations(uint64_t seed, int count, int cols, int rows, Generate generate)
{
    Random random(seed);
    Region region{0, rows};
    std::vector<std::string> ops;
    for (int i = 0; i < count; ++i)
        ops.push_back(generate(random, cols, rows, region));
    return ops;
}

} // namespace

std::vector<std::string> vt100Operations(uint64_t seed, int count, int cols, int rows)
{
    return operations(seed, count, cols, rows, operation);
}

std::vector<std::string> richOperations(uint64_t seed, int count, int cols, int rows)
{
    return operations(seed, count, cols, rows, richOperation);
}

std::string quoted(const std::string &bytes)
{
    std::string out = "\"";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = u >= 0x20 && u < 0x7F && c != '"' && c != '\\';
        char text[8];
        std::snprintf(text, sizeof text, c == '\x1b' ? "\\e" : plain ? "%c" : "\\x%02X", u);
        out += text;
    }
    return out + "\"";
}

} // namespace vtdiff
