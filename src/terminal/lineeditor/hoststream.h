// Follows the host's output the way the terminal parses it, just far enough
// for the line editor to know where it may draw (outside every sequence and
// character, at the start of a line) and which rendition to give back to the
// host when it takes its prompt away.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zn {

// The host's rendition: per group of SGR codes, the one in force.
struct HostPen {
    uint8_t intensity; // 0, 1 bold, 2 faint
    uint8_t italic;
    uint8_t underline;
    uint8_t blink; // 0, 5 slow, 6 rapid
    uint8_t inverse;
    int16_t foreground; // -1 default, 0-255 palette, 256-263 the colours of SGR 30-37
    int16_t background; // the same for SGR 48;5 and 40-47
};

constexpr size_t kHostParamMax = 16;
constexpr size_t kHostPenSequenceMax = 48;

struct HostStream {
    uint8_t state;
    uint8_t csiPart;         // where a control sequence stands: entry, parameters, intermediates, ignored
    uint8_t intermediate;    // first intermediate or private marker
    uint8_t intermediateCount;
    uint8_t utf8Remaining;   // continuation bytes still expected
    uint8_t atLineStart;     // a line feed left the cursor on a fresh line, in column 0
    uint8_t atColumnZero;    // a carriage return, or a line feed in new line mode, left it in column 0
    uint8_t newLineMode;     // LNM: a line feed returns the carriage as well
    uint32_t utf8Bits;
    uint32_t paramCount;
    int32_t params[kHostParamMax];
    HostPen pen;
    HostPen savedPen; // DECSC / DECRC
};

// The state after a full reset of the terminal: cursor home, default rendition.
void hostStreamReset(HostStream *stream);
void hostStreamFeed(HostStream *stream, const char *bytes, size_t length);
// Outside every sequence and character: bytes written now are taken as meant.
bool hostStreamComplete(const HostStream *stream);
// SGR sequences that turn the default rendition into pen; returns their length
// (0 for the default pen). out holds kHostPenSequenceMax bytes.
size_t hostPenSequence(const HostPen *pen, char *out);

} // namespace zn
