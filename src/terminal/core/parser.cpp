// The VT500-series recogniser: UTF-8 decoding, C1 gating, the transition
// table with entry and exit actions, parameter collection, and the feeds.
#include "terminalinternal.h"

#include <cstring>

namespace zn {

namespace {

enum State : uint8_t {
    Stay = 0, // in a table entry; as a row: Anywhere
    CsiEntry = 1,
    CsiIgnore = 2,
    CsiIntermediate = 3,
    CsiParam = 4,
    DcsEntry = 5,
    DcsIgnore = 6,
    DcsIntermediate = 7,
    DcsParam = 8,
    DcsPassthrough = 9,
    Escape = 10,
    EscapeIntermediate = 11,
    Ground = 12,
    OscString = 13,
    SosPmApcString = 14,
    StateCount = 15,
};
constexpr State Anywhere = Stay;

enum Action : uint8_t {
    NoAction = 0,
    Clear = 1,
    Collect = 2,
    CsiDispatch = 3,
    EscDispatch = 4,
    Execute = 5,
    Hook = 6,
    Ignore = 7,
    OscEnd = 8,
    OscPut = 9,
    OscStart = 10,
    Param = 11,
    Print = 12,
    Put = 13,
    Unhook = 14,
};

struct TransitionTable {
    uint8_t entry[StateCount][256]; // next state << 4 | action
};

constexpr TransitionTable buildTable()
{
    TransitionTable table{};
    auto set = [&table](State row, unsigned from, unsigned to, Action action, State next = Stay) {
        for (unsigned c = from; c <= to; ++c)
            table.entry[row][c] = uint8_t(next << 4 | action);
    };
    // 00-17, 19, 1C-1F: the C0 controls that do not cancel a sequence.
    auto c0 = [&set](State row, Action action) {
        set(row, 0x00, 0x17, action);
        set(row, 0x19, 0x19, action);
        set(row, 0x1C, 0x1F, action);
    };

    set(Anywhere, 0x18, 0x18, Execute, Ground);
    set(Anywhere, 0x1A, 0x1A, Execute, Ground);
    set(Anywhere, 0x1B, 0x1B, NoAction, Escape);
    set(Anywhere, 0x80, 0x8F, Execute, Ground);
    set(Anywhere, 0x91, 0x97, Execute, Ground);
    set(Anywhere, 0x99, 0x9A, Execute, Ground);
    set(Anywhere, 0x9C, 0x9C, Execute, Ground);
    set(Anywhere, 0x90, 0x90, NoAction, DcsEntry);
    set(Anywhere, 0x98, 0x98, NoAction, SosPmApcString);
    set(Anywhere, 0x9E, 0x9F, NoAction, SosPmApcString);
    set(Anywhere, 0x9B, 0x9B, NoAction, CsiEntry);
    set(Anywhere, 0x9D, 0x9D, NoAction, OscString);

    c0(Ground, Execute);
    set(Ground, 0x20, 0x7F, Print);
    set(Ground, 0x80, 0x8F, Execute);
    set(Ground, 0x91, 0x9A, Execute);
    set(Ground, 0x9C, 0x9C, Execute);
    set(Ground, 0xA0, 0xFF, Print);

    c0(Escape, Execute);
    set(Escape, 0x20, 0x2F, Collect, EscapeIntermediate);
    set(Escape, 0x30, 0x4F, EscDispatch, Ground);
    set(Escape, 0x51, 0x57, EscDispatch, Ground);
    set(Escape, 0x59, 0x5A, EscDispatch, Ground);
    set(Escape, 0x5C, 0x5C, EscDispatch, Ground);
    set(Escape, 0x60, 0x7E, EscDispatch, Ground);
    set(Escape, 0x50, 0x50, NoAction, DcsEntry);
    set(Escape, 0x58, 0x58, NoAction, SosPmApcString);
    set(Escape, 0x5E, 0x5F, NoAction, SosPmApcString);
    set(Escape, 0x5B, 0x5B, NoAction, CsiEntry);
    set(Escape, 0x5D, 0x5D, NoAction, OscString);
    set(Escape, 0x7F, 0x7F, Ignore);

    c0(EscapeIntermediate, Execute);
    set(EscapeIntermediate, 0x20, 0x2F, Collect);
    set(EscapeIntermediate, 0x30, 0x7E, EscDispatch, Ground);
    set(EscapeIntermediate, 0x7F, 0x7F, Ignore);

    c0(CsiEntry, Execute);
    set(CsiEntry, 0x20, 0x2F, Collect, CsiIntermediate);
    set(CsiEntry, 0x30, 0x39, Param, CsiParam);
    set(CsiEntry, 0x3B, 0x3B, Param, CsiParam);
    set(CsiEntry, 0x3A, 0x3A, NoAction, CsiIgnore);
    set(CsiEntry, 0x3C, 0x3F, Collect, CsiParam);
    set(CsiEntry, 0x40, 0x7E, CsiDispatch, Ground);
    set(CsiEntry, 0x7F, 0x7F, Ignore);

    c0(CsiParam, Execute);
    set(CsiParam, 0x20, 0x2F, Collect, CsiIntermediate);
    set(CsiParam, 0x30, 0x39, Param);
    set(CsiParam, 0x3B, 0x3B, Param);
    set(CsiParam, 0x3A, 0x3A, NoAction, CsiIgnore);
    set(CsiParam, 0x3C, 0x3F, NoAction, CsiIgnore);
    set(CsiParam, 0x40, 0x7E, CsiDispatch, Ground);
    set(CsiParam, 0x7F, 0x7F, Ignore);

    c0(CsiIntermediate, Execute);
    set(CsiIntermediate, 0x20, 0x2F, Collect);
    set(CsiIntermediate, 0x30, 0x3F, NoAction, CsiIgnore);
    set(CsiIntermediate, 0x40, 0x7E, CsiDispatch, Ground);
    set(CsiIntermediate, 0x7F, 0x7F, Ignore);

    c0(CsiIgnore, Execute);
    set(CsiIgnore, 0x20, 0x3F, Ignore);
    set(CsiIgnore, 0x7F, 0x7F, Ignore);
    set(CsiIgnore, 0x40, 0x7E, NoAction, Ground);

    c0(DcsEntry, Ignore);
    set(DcsEntry, 0x7F, 0x7F, Ignore);
    set(DcsEntry, 0x20, 0x2F, Collect, DcsIntermediate);
    set(DcsEntry, 0x30, 0x39, Param, DcsParam);
    set(DcsEntry, 0x3B, 0x3B, Param, DcsParam);
    set(DcsEntry, 0x3A, 0x3A, NoAction, DcsIgnore);
    set(DcsEntry, 0x3C, 0x3F, Collect, DcsParam);
    set(DcsEntry, 0x40, 0x7E, NoAction, DcsPassthrough);

    c0(DcsParam, Ignore);
    set(DcsParam, 0x7F, 0x7F, Ignore);
    set(DcsParam, 0x20, 0x2F, Collect, DcsIntermediate);
    set(DcsParam, 0x30, 0x39, Param);
    set(DcsParam, 0x3B, 0x3B, Param);
    set(DcsParam, 0x3A, 0x3A, NoAction, DcsIgnore);
    set(DcsParam, 0x3C, 0x3F, NoAction, DcsIgnore);
    set(DcsParam, 0x40, 0x7E, NoAction, DcsPassthrough);

    c0(DcsIntermediate, Ignore);
    set(DcsIntermediate, 0x7F, 0x7F, Ignore);
    set(DcsIntermediate, 0x20, 0x2F, Collect);
    set(DcsIntermediate, 0x30, 0x3F, NoAction, DcsIgnore);
    set(DcsIntermediate, 0x40, 0x7E, NoAction, DcsPassthrough);

    c0(DcsPassthrough, Put);
    set(DcsPassthrough, 0x20, 0x7E, Put);
    set(DcsPassthrough, 0x7F, 0x7F, Ignore);
    set(DcsPassthrough, 0x9C, 0x9C, NoAction, Ground);

    c0(DcsIgnore, Ignore);
    set(DcsIgnore, 0x20, 0x7F, Ignore);
    set(DcsIgnore, 0x9C, 0x9C, NoAction, Ground);

    c0(OscString, Ignore);
    set(OscString, 0x20, 0x7F, OscPut);
    set(OscString, 0x9C, 0x9C, NoAction, Ground);

    c0(SosPmApcString, Ignore);
    set(SosPmApcString, 0x20, 0x7F, Ignore);
    set(SosPmApcString, 0x9C, 0x9C, NoAction, Ground);
    return table;
}

constexpr TransitionTable kTable = buildTable();

constexpr int32_t kUtf8NeedMore = -1;
constexpr int32_t kUtf8Invalid = -2;

// One decoder step; state: continuation bytes still expected << 24 | bits so far.
int32_t utf8Step(uint32_t *state, uint32_t byte)
{
    if (*state && (byte & 0xC0) == 0x80) {
        const uint32_t bits = (*state & 0xFFFFFF) << 6 | (byte & 0x3F);
        const uint32_t remaining = (*state >> 24) - 1;
        if (remaining == 0) {
            *state = 0;
            return int32_t(bits);
        }
        *state = remaining << 24 | bits;
        return kUtf8NeedMore;
    }
    *state = 0;
    if (byte < 0x80)
        return int32_t(byte);
    if ((byte & 0xE0) == 0xC0)
        *state = 1u << 24 | (byte & 0x1F);
    else if ((byte & 0xF0) == 0xE0)
        *state = 2u << 24 | (byte & 0x0F);
    else if ((byte & 0xF8) == 0xF0)
        *state = 3u << 24 | (byte & 0x07);
    else
        return kUtf8Invalid;
    return kUtf8NeedMore;
}

void collect(TerminalParser *p, uint32_t c)
{
    // A code above 0xFF (looked up as '?') must not pass for a real marker.
    const uint8_t byte = c > 0xFF ? 0xFF : uint8_t(c);
    if (p->intermediates[0] == 0)
        p->intermediates[0] = byte;
    else if (p->intermediates[1] == 0)
        p->intermediates[1] = byte;
}

// Digits saturate: every value past INT32_MAX behaves like it.
[[gnu::always_inline]] inline void param(TerminalParser *p, uint32_t c)
{
    if (p->paramCount == 0) {
        p->paramCount = 1;
        p->params[0] = 0;
    }
    if (c == ';') {
        if (p->paramCount < 16)
            p->params[p->paramCount++] = 0;
        return;
    }
    int32_t &value = p->params[p->paramCount - 1];
    const int32_t digit = int32_t(c - '0');
    value = value > (INT32_MAX - digit) / 10 ? INT32_MAX : value * 10 + digit;
}

[[gnu::always_inline]] inline void perform(TerminalCore *t, uint32_t action, uint32_t c)
{
    TerminalParser *p = &t->parser;
    switch (action) {
    case Clear:
        p->intermediates[0] = p->intermediates[1] = p->intermediates[2] = 0;
        p->paramCount = 0;
        break;
    case Collect:
        collect(p, c);
        break;
    case Param:
        param(p, c);
        break;
    case Print:
        screenPrint(t, c);
        break;
    case Execute:
        if (c != 0x08) // BS handles a pending wrap itself
            t->wrapPending = 0;
        parserExecute(t, c);
        break;
    case EscDispatch:
        t->wrapPending = 0;
        parserEscDispatch(t, c);
        break;
    case CsiDispatch:
        t->wrapPending = 0;
        parserCsiDispatch(t, c);
        break;
    case Hook:
    case Put:
    case Unhook:
    case OscStart:
    case OscPut:
    case OscEnd:
        // Strings are consumed without effect, but still end a pending wrap.
        t->wrapPending = 0;
        break;
    default:
        break;
    }
}

inline void exitAction(TerminalCore *t, uint32_t state)
{
    if (state == DcsPassthrough)
        perform(t, Unhook, 0);
    else if (state == OscString)
        perform(t, OscEnd, 0);
}

[[gnu::always_inline]] inline void entryAction(TerminalCore *t, uint32_t state)
{
    if (state == CsiEntry || state == DcsEntry || state == Escape)
        perform(t, Clear, 0);
    else if (state == DcsPassthrough)
        perform(t, Hook, 0);
    else if (state == OscString)
        perform(t, OscStart, 0);
}

[[gnu::always_inline]] inline void parserInput(TerminalCore *t, uint32_t c)
{
    uint32_t lookup = c > 0xFF ? 0x3F : c;
    if (!(t->options & kOptionEightBit) && lookup >= 0x80 && lookup <= 0x9F)
        lookup = 0x3F; // C1 codes print as characters
    uint32_t entry = kTable.entry[Anywhere][lookup];
    if (entry == 0)
        entry = kTable.entry[t->parser.state][lookup];
    const uint32_t next = entry >> 4;
    const uint32_t action = entry & 15;
    if (next == Stay) {
        perform(t, action, c);
        return;
    }
    exitAction(t, t->parser.state);
    perform(t, action, c);
    entryAction(t, next);
    t->parser.state = next;
}

bool lineFeedByte(uint8_t c)
{
    return c >= 0x0A && c <= 0x0C;
}

template <typename Unit>
bool printableAscii(Unit c)
{
    return c >= 0x20 && c < 0x7F;
}

// End of the run of printable ASCII that starts at p, eight bytes at a time:
// a word is all printable when no byte is below 0x20 and none above 0x7E.
const uint8_t *printableEnd(const uint8_t *p, const uint8_t *end)
{
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    while (end - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        const uint64_t below = (w - 0x20 * kOnes) & ~w & kHigh; // a byte < 0x20 (or >= 0x80)
        const uint64_t above = ((w + (0x7F - 0x7E) * kOnes) | w) & kHigh; // a byte > 0x7E
        if (below | above)
            break;
        p += 8;
    }
    while (p < end && printableAscii(*p))
        ++p;
    return p;
}

} // namespace

void parserReset(TerminalCore *t)
{
    t->parser = TerminalParser{};
    t->parser.state = Ground;
}

void terminalCoreFeed(TerminalCore *t, const char *data, size_t length)
{
    if (!t->bufferStart)
        return;
    const auto *p = reinterpret_cast<const uint8_t *>(data);
    const uint8_t *end = p + length;
    while (p < end) {
        if (t->parser.state == Ground && printableAscii(*p)) {
            const uint8_t *run = p;
            p = printableEnd(p, end);
            if (t->options & kOptionUtf8)
                t->parser.utf8State = 0; // an ASCII byte ends any broken sequence
            screenPrintRun(t, run, size_t(p - run));
            continue;
        }
        // Parameter digits go straight to collection, as the table would send them.
        const uint32_t state = t->parser.state;
        // A run of line feeds scrolls once, by its length.
        if (lineFeedByte(*p) && kTable.entry[state][*p] == Execute) {
            const uint8_t *run = p;
            while (p < end && lineFeedByte(*p))
                ++p;
            if (t->options & kOptionUtf8)
                t->parser.utf8State = 0;
            t->wrapPending = 0;
            parserLineFeeds(t, size_t(p - run));
            continue;
        }
        if ((state == CsiParam || state == CsiEntry) && ((*p >= '0' && *p <= '9') || *p == ';')) {
            if (t->options & kOptionUtf8)
                t->parser.utf8State = 0;
            param(&t->parser, *p++);
            t->parser.state = CsiParam;
            continue;
        }
        uint32_t c = *p++;
        if (t->options & kOptionUtf8) { // ESC % may switch it within a chunk
            const int32_t decoded = utf8Step(&t->parser.utf8State, c);
            if (decoded < 1)
                continue; // need more, invalid, or NUL
            c = uint32_t(decoded);
        }
        parserInput(t, c);
    }
    terminalCoreUpdate(t);
}

void terminalCoreFeedUtf16(TerminalCore *t, const char16_t *units, size_t count)
{
    if (!t->bufferStart)
        return;
    t->parser.utf8State = 0;
    const char16_t *end = units + count;
    while (units < end) {
        if (t->parser.state == Ground && printableAscii(*units)) {
            const char16_t *run = units;
            while (units < end && printableAscii(*units))
                ++units;
            screenPrintRun(t, run, size_t(units - run));
            continue;
        }
        parserInput(t, *units++);
    }
    terminalCoreUpdate(t);
}

} // namespace zn
