#include "hoststream.h"

#include <cstdio>

namespace zn {

namespace {

enum State : uint8_t { Ground, Escape, EscapeIntermediate, Csi, String };
enum CsiPart : uint8_t { CsiEntry, CsiParam, CsiIntermediate, CsiIgnore };

constexpr HostPen kDefaultPen{0, 0, 0, 0, 0, -1, -1};

void enter(HostStream *s, State state)
{
    s->state = state;
    s->csiPart = CsiEntry;
    s->intermediateCount = 0;
    s->paramCount = 0;
}

void fullReset(HostStream *s, bool blankScreen)
{
    enter(s, Ground);
    s->pen = s->savedPen = kDefaultPen;
    s->atLineStart = blankScreen;
    s->atColumnZero = 1;
    s->newLineMode = 1; // the terminal's default
}

// The cursor may have left column 0, and with it the start of the line.
void leaveLineStart(HostStream *s)
{
    s->atLineStart = 0;
    s->atColumnZero = 0;
}

void execute(HostStream *s, uint32_t c)
{
    // A line feed opens a fresh line, at its start when the carriage returns
    // with it or has returned before; CR stays on the line it is on.
    if (c == 0x0A || c == 0x0B || c == 0x0C) {
        s->atColumnZero |= s->newLineMode;
        s->atLineStart = s->atColumnZero;
    } else if (c == 0x0D) {
        s->atColumnZero = 1;
    } else if (c == 0x08 || c == 0x09) {
        leaveLineStart(s);
    }
}

void collect(HostStream *s, uint32_t c)
{
    if (s->intermediateCount == 0)
        s->intermediate = uint8_t(c > 0xFF ? 0xFF : c);
    if (s->intermediateCount < 2)
        ++s->intermediateCount;
}

// Parameters collect as the terminal collects them: sixteen at most, digits
// saturating, so that the same SGR codes are taken.
void param(HostStream *s, uint32_t c)
{
    if (s->paramCount == 0) {
        s->paramCount = 1;
        s->params[0] = 0;
    }
    if (c == ';') {
        if (s->paramCount < kHostParamMax)
            s->params[s->paramCount++] = 0;
        return;
    }
    int32_t &value = s->params[s->paramCount - 1];
    const int32_t digit = int32_t(c - '0');
    value = value > (INT32_MAX - digit) / 10 ? INT32_MAX : value * 10 + digit;
}

void sgrCode(HostPen *pen, int32_t code)
{
    switch (code) {
    case 0:
        *pen = kDefaultPen;
        break;
    case 1:
    case 2:
        pen->intensity = uint8_t(code);
        break;
    case 22:
        pen->intensity = 0;
        break;
    case 3:
    case 23:
        pen->italic = code == 3;
        break;
    case 4:
    case 24:
        pen->underline = code == 4;
        break;
    case 5:
    case 6:
        pen->blink = uint8_t(code);
        break;
    case 25:
        pen->blink = 0;
        break;
    case 7:
    case 27:
        pen->inverse = code == 7;
        break;
    case 39:
        pen->foreground = -1;
        break;
    case 49:
        pen->background = -1;
        break;
    default:
        if (code >= 30 && code <= 37)
            pen->foreground = int16_t(256 + code - 30);
        else if (code >= 40 && code <= 47)
            pen->background = int16_t(256 + code - 40);
        break;
    }
}

void selectGraphicRendition(HostStream *s)
{
    if (s->paramCount == 0) {
        s->pen = kDefaultPen;
        return;
    }
    if (s->params[0] == 38 || s->params[0] == 48) {
        // Only the exact 256-colour form counts; the terminal drops the rest whole.
        if (s->paramCount == 3 && s->params[1] == 5 && s->params[2] <= 255)
            (s->params[0] == 38 ? s->pen.foreground : s->pen.background) = int16_t(s->params[2]);
        return;
    }
    for (uint32_t k = 0; k < s->paramCount; ++k)
        sgrCode(&s->pen, s->params[k]);
}

bool hasParam(const HostStream *s, int32_t value)
{
    for (uint32_t k = 0; k < s->paramCount; ++k)
        if (s->params[k] == value)
            return true;
    return false;
}

void csiDispatch(HostStream *s, uint32_t final)
{
    if (s->intermediateCount == 1 && s->intermediate == '?' && (final == 'h' || final == 'l')) {
        if (hasParam(s, 3))
            fullReset(s, true);
        else if (hasParam(s, 6)) // origin mode homes the cursor
            leaveLineStart(s);
    } else if (s->intermediateCount == 1 && s->intermediate == '!' && final == 'p') {
        fullReset(s, true);
    } else if (s->intermediateCount == 0) {
        if (final == 'm')
            selectGraphicRendition(s);
        else if ((final == 'h' || final == 'l') && hasParam(s, 20))
            s->newLineMode = final == 'h';
        else if (final == 's')
            s->savedPen = s->pen;
        else if (final == 'u')
            s->pen = s->savedPen;
        // Replies, modes, tab stops, LEDs, SGR and saving leave the cursor; the rest may move it.
        if (final != 'c' && final != 'g' && final != 'h' && final != 'l' && final != 'm' && final != 'n'
            && final != 'q' && final != 's')
            leaveLineStart(s);
    }
}

void escDispatch(HostStream *s, uint32_t final)
{
    if (s->intermediateCount == 0) {
        switch (final) {
        case 'c':
            fullReset(s, true);
            return;
        case '7':
            s->savedPen = s->pen;
            return;
        case '8':
            s->pen = s->savedPen;
            break;
        case '=':
        case '>':
        case '\\':
        case 'H':
        case 'N':
        case 'O':
        case 'Z':
            return; // the cursor stays
        default:
            break;
        }
        leaveLineStart(s);
    } else if (s->intermediateCount == 1 && s->intermediate == '#') {
        // DECALN and the character table reset the terminal and fill the screen.
        if (final == '7' || final == '8')
            fullReset(s, false);
        leaveLineStart(s);
    }
}

void escapeStep(HostStream *s, uint32_t c)
{
    if (c < 0x20) {
        execute(s, c);
    } else if (c <= 0x2F) {
        collect(s, c);
        s->state = EscapeIntermediate;
    } else if (c == '[' && s->state == Escape) {
        enter(s, Csi);
    } else if ((c == ']' || c == 'P' || c == 'X' || c == '^' || c == '_') && s->state == Escape) {
        enter(s, String);
    } else if (c <= 0x7E) {
        s->state = Ground;
        escDispatch(s, c);
    }
    // DEL and codes beyond ASCII: what the terminal does depends on its modes,
    // so the sequence is taken to go on, which at worst delays the prompt.
}

void csiStep(HostStream *s, uint32_t c)
{
    if (c < 0x20) {
        execute(s, c);
        return;
    }
    // Beyond ASCII the terminal looks codes up as '?', as it does C1 codes
    // while 8-bit controls are off.
    const uint32_t look = c > 0xFF || (c >= 0x80 && c <= 0x9F) ? '?' : c;
    if (look >= 0x40 && look <= 0x7E) {
        s->state = Ground;
        if (s->csiPart != CsiIgnore)
            csiDispatch(s, look);
    } else if (look >= 0x20 && look <= 0x2F) {
        if (s->csiPart != CsiIgnore) {
            collect(s, c);
            s->csiPart = CsiIntermediate;
        }
    } else if ((look >= '0' && look <= '9') || look == ';') {
        if (s->csiPart == CsiEntry || s->csiPart == CsiParam) {
            param(s, look);
            s->csiPart = CsiParam;
        } else {
            s->csiPart = CsiIgnore;
        }
    } else if (look >= 0x3A && look <= 0x3F) {
        if (look != ':' && s->csiPart == CsiEntry) {
            collect(s, c);
            s->csiPart = CsiParam;
        } else {
            s->csiPart = CsiIgnore;
        }
    }
}

void step(HostStream *s, uint32_t c)
{
    if (c == 0x18 || c == 0x1A) {
        s->state = Ground;
        return;
    }
    if (c == 0x1B) {
        enter(s, Escape);
        return;
    }
    // C1 introducers are taken as such even though 8-bit controls may be
    // off: waiting for a sequence that is not there only delays the prompt.
    // Such a terminal prints them, or drops them and prints what follows;
    // inside a string it goes on collecting the string.
    if (c == 0x9B && s->state != String) {
        enter(s, Csi);
        leaveLineStart(s);
        return;
    }
    if ((c == 0x90 || c == 0x98 || c == 0x9D || c == 0x9E || c == 0x9F) && s->state != String) {
        enter(s, String);
        leaveLineStart(s);
        return;
    }
    switch (s->state) {
    case Ground:
        if (c < 0x20)
            execute(s, c);
        else
            leaveLineStart(s);
        break;
    case Escape:
    case EscapeIntermediate:
        escapeStep(s, c);
        break;
    case Csi:
        csiStep(s, c);
        break;
    default:
        break; // strings end only with CAN, SUB or ESC here
    }
}

} // namespace

void hostStreamReset(HostStream *stream)
{
    fullReset(stream, true);
    stream->utf8Remaining = 0;
}

void hostStreamFeed(HostStream *s, const char *bytes, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        const uint32_t byte = uint8_t(bytes[i]);
        if (s->utf8Remaining && (byte & 0xC0) == 0x80) {
            s->utf8Bits = s->utf8Bits << 6 | (byte & 0x3F);
            if (--s->utf8Remaining == 0)
                step(s, s->utf8Bits);
            continue;
        }
        if (s->utf8Remaining) {
            // A character cut short: dropped by a UTF-8 terminal, printed by another.
            s->utf8Remaining = 0;
            if (s->state == Ground)
                leaveLineStart(s);
        }
        if (byte >= 0xC0 && byte < 0xF8) {
            s->utf8Remaining = byte < 0xE0 ? 1 : byte < 0xF0 ? 2 : 3;
            s->utf8Bits = byte & (0x3Fu >> s->utf8Remaining);
        } else {
            step(s, byte);
        }
    }
}

bool hostStreamComplete(const HostStream *stream)
{
    return stream->state == Ground && stream->utf8Remaining == 0;
}

size_t hostPenSequence(const HostPen *pen, char *out)
{
    int codes[7];
    int count = 0;
    if (pen->intensity)
        codes[count++] = pen->intensity;
    if (pen->italic)
        codes[count++] = 3;
    if (pen->underline)
        codes[count++] = 4;
    if (pen->blink)
        codes[count++] = pen->blink;
    if (pen->inverse)
        codes[count++] = 7;
    if (pen->foreground >= 256)
        codes[count++] = 30 + pen->foreground - 256;
    if (pen->background >= 256)
        codes[count++] = 40 + pen->background - 256;
    size_t length = 0;
    auto append = [&](const char *format, int value) {
        length += size_t(std::snprintf(out + length, kHostPenSequenceMax - length, format, value));
    };
    for (int k = 0; k < count; ++k)
        append(k == 0 ? "\x1b[%d" : ";%d", codes[k]);
    if (count > 0)
        out[length++] = 'm';
    if (pen->foreground >= 0 && pen->foreground < 256)
        append("\x1b[38;5;%dm", pen->foreground);
    if (pen->background >= 0 && pen->background < 256)
        append("\x1b[48;5;%dm", pen->background);
    return length;
}

} // namespace zn
