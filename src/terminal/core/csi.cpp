// Control sequences (csi_dispatch): cursor and editing functions, modes,
// SGR, DECLL, DECSTBM and the replies.
#include "terminalinternal.h"

#include <cstdio>
#include <cstring>

namespace zn {

void coreReply(TerminalCore *t, const char *bytes, size_t length)
{
    if (!t->callbacks || !t->callbacks->reply || length == 0)
        return;
    if ((t->modes & kModeS8c1t) && length >= 2 && length <= 61 && bytes[0] == '\x1b' && bytes[1] == '[') {
        char eightBit[64];
        eightBit[0] = char(0x9B);
        std::memcpy(eightBit + 1, bytes + 2, length - 2);
        t->callbacks->reply(t, eightBit, length - 1);
        return;
    }
    t->callbacks->reply(t, bytes, length);
}

void coreReplyDeviceAttributes(TerminalCore *t)
{
    coreReply(t, "\x1b[?6c", 5); // a VT102
}

static void reportLeds(TerminalCore *t)
{
    if (t->callbacks && t->callbacks->ledsChanged)
        t->callbacks->ledsChanged(t, (t->modes & kModeLedReporting) ? int(t->leds) : -1);
}

static void setModeBit(TerminalCore *t, uint32_t bit, bool on)
{
    if (on)
        t->modes |= bit;
    else
        t->modes &= ~bit;
}

static void setAnsiModes(TerminalCore *t, bool on)
{
    const TerminalParser &p = t->parser;
    for (uint32_t k = 0; k < p.paramCount; ++k) {
        switch (p.params[k]) {
        case 2:
            setModeBit(t, kModeKam, on);
            break;
        case 4:
            setModeBit(t, kModeInsert, on);
            break;
        case 12:
            setModeBit(t, kModeSrm, on);
            break;
        case 20:
            setModeBit(t, kModeLnm, on);
            break;
        default:
            break;
        }
    }
}

static void setPrivateModes(TerminalCore *t, bool on)
{
    const TerminalParser &p = t->parser;
    for (uint32_t k = 0; k < p.paramCount; ++k) {
        switch (p.params[k]) {
        case 1:
            setModeBit(t, kModeCursorKeys, on);
            break;
        case 3:
            // DECCOLM: the column count stays; only the reset remains.
            coreFullReset(t, PatternBlank);
            break;
        case 6:
            screenSetOriginMode(t, on);
            break;
        case 7:
            setModeBit(t, kModeAutowrap, on);
            break;
        case 8:
            setModeBit(t, kModeAutoRepeat, on);
            break;
        case 25:
            setModeBit(t, kModeCursorVisible, on);
            // The cursor is drawn at its last shown place; repaint both.
            screenMarkCursorCell(t, t->cursorX, t->cursorY);
            screenMarkCursorCell(t, t->shownCursorX, t->shownCursorY);
            break;
        case 45:
            setModeBit(t, kModeReverseWrap, on);
            break;
        case 110:
            setModeBit(t, kModeLedReporting, on);
            reportLeds(t);
            break;
        default:
            break;
        }
    }
}

static void sgrCode(TerminalCell *pen, int32_t code)
{
    switch (code) {
    case 0:
        pen->ch &= kCellOwnerBits;
        pen->colours = kBlankColours;
        break;
    case 1:
        pen->ch = (pen->ch | kCellBold) & ~kCellFaint;
        break;
    case 2:
        pen->ch = (pen->ch | kCellFaint) & ~kCellBold;
        break;
    case 3:
        pen->ch |= kCellItalic;
        break;
    case 4:
        pen->ch |= kCellUnderline;
        break;
    case 5:
        pen->ch = (pen->ch | kCellBlink) & ~kCellRapidBlink;
        break;
    case 6:
        pen->ch |= kCellBlink | kCellRapidBlink;
        break;
    case 7:
        pen->ch |= kCellInverse;
        break;
    case 22:
        pen->ch &= ~(kCellBold | kCellFaint);
        break;
    case 23:
        pen->ch &= ~kCellItalic;
        break;
    case 24:
        pen->ch &= ~kCellUnderline;
        break;
    case 25:
        pen->ch &= ~(kCellBlink | kCellRapidBlink);
        break;
    case 27:
        pen->ch &= ~kCellInverse;
        break;
    case 39:
        pen->colours = (pen->colours & ~kColourMask) | kColourDefault;
        break;
    case 49:
        pen->colours = (pen->colours & kColourMask) | kColourDefault << kBackgroundShift;
        break;
    default:
        if (code >= 30 && code <= 37)
            pen->colours = (pen->colours & ~kColourMask) | (kColourStandard + uint32_t(code - 30));
        else if (code >= 40 && code <= 47)
            pen->colours = (pen->colours & kColourMask) | (kColourStandard + uint32_t(code - 40)) << kBackgroundShift;
        break;
    }
}

static void selectGraphicRendition(TerminalCore *t)
{
    const TerminalParser &p = t->parser;
    if (p.paramCount == 0) {
        sgrCode(&t->pen, 0);
        return;
    }
    if (p.params[0] == 38 || p.params[0] == 48) {
        // Only the exact 256-colour form; anything else starting so is dropped whole.
        if (p.paramCount != 3 || p.params[1] != 5 || p.params[2] > 255)
            return;
        const uint32_t index = uint32_t(p.params[2]);
        if (p.params[0] == 38)
            t->pen.colours = (t->pen.colours & ~kColourMask) | index;
        else
            t->pen.colours = (t->pen.colours & kColourMask) | index << kBackgroundShift;
        return;
    }
    for (uint32_t k = 0; k < p.paramCount; ++k)
        sgrCode(&t->pen, p.params[k]);
}

static void loadLeds(TerminalCore *t)
{
    const TerminalParser &p = t->parser;
    if (p.paramCount == 0)
        t->leds = 0;
    for (uint32_t k = 0; k < p.paramCount; ++k) {
        const int32_t v = p.params[k];
        if (v == 0)
            t->leds = 0;
        else if (v >= 1 && v <= 8)
            t->leds |= 1u << (v - 1);
        else if (v >= 21 && v <= 28)
            t->leds &= ~(1u << (v - 21));
    }
    reportLeds(t);
}

static void deviceStatus(TerminalCore *t, uint32_t request)
{
    if (request == 5) {
        coreReply(t, "\x1b[0n", 4);
    } else if (request == 6) {
        char report[16];
        const int length = std::snprintf(report, sizeof report, "\x1b[%u;%uR", t->cursorY + 1, t->cursorX + 1);
        coreReply(t, report, size_t(length));
    }
}

static void setCursorStyle(TerminalCore *t, uint32_t p1)
{
    const uint32_t style = p1 % 16;
    t->modes = (t->modes & ~kModeCursorStyleMask) | style << kModeCursorStyleShift;
    if (t->callbacks && t->callbacks->cursorStyle)
        t->callbacks->cursorStyle(t, int(style));
}

// Sequences with intermediates (and private markers).
static void csiWithIntermediate(TerminalCore *t, uint32_t final, uint32_t p1)
{
    const uint8_t *i = t->parser.intermediates;
    if (i[1] != 0)
        return;
    if (i[0] == '?') {
        if (final == 'h' || final == 'l')
            setPrivateModes(t, final == 'h');
        else if (final == 'n' && p1 == 15)
            coreReply(t, "\x1b[?13n", 6); // no printer
    } else if (i[0] == '!') {
        if (final == 'p')
            coreFullReset(t, PatternBlank);
        else if (final == 'u')
            ringMarkView(t);
    } else if (i[0] == ' ' && final == 'q') {
        setCursorStyle(t, p1);
    }
}

void parserCsiDispatch(TerminalCore *t, uint32_t final)
{
    const TerminalParser &p = t->parser;
    const uint32_t p1 = p.paramCount > 0 ? uint32_t(p.params[0]) : 0;
    const uint32_t p2 = p.paramCount > 1 ? uint32_t(p.params[1]) : 0;
    const uint32_t n = p1 < 1 ? 1 : p1;
    if (p.intermediates[0] != 0) {
        csiWithIntermediate(t, final, p1);
        return;
    }
    switch (final) {
    case '@':
        screenInsertCells(t, n);
        break;
    case 'A':
        screenCursorUp(t, n);
        break;
    case 'B':
    case 'e':
        screenCursorDown(t, n);
        break;
    case 'C':
    case 'a':
        screenCursorForward(t, n);
        break;
    case 'D':
        screenCursorBack(t, n);
        break;
    case 'E':
        screenCursorNextLine(t, n);
        break;
    case 'F':
        screenCursorPrevLine(t, n);
        break;
    case 'G':
    case '`':
        screenCursorColumn(t, n);
        break;
    case 'H':
    case 'f':
        screenCursorPosition(t, p1, p2);
        break;
    case 'I':
        screenTabForward(t, n);
        break;
    case 'J':
        screenEraseDisplay(t, p1);
        break;
    case 'K':
        screenEraseLine(t, p1);
        break;
    case 'L':
        screenInsertLines(t, n);
        break;
    case 'M':
        screenDeleteLines(t, n);
        break;
    case 'P':
        screenDeleteCells(t, n);
        break;
    case 'X':
        screenEraseCells(t, n);
        break;
    case 'Z':
        screenTabBack(t, n);
        break;
    case 'c':
        if (p1 == 0)
            coreReplyDeviceAttributes(t);
        break;
    case 'd':
        screenCursorRow(t, n);
        break;
    case 'g':
    case 'k':
        if (p1 == 0)
            screenClearTabStop(t);
        else if (p1 == 3)
            screenClearAllTabStops(t);
        break;
    case 'h':
    case 'l':
        setAnsiModes(t, final == 'h');
        break;
    case 'm':
        selectGraphicRendition(t);
        break;
    case 'n':
        deviceStatus(t, p1);
        break;
    case 'q':
        loadLeds(t);
        break;
    case 'r':
        screenSetMargins(t, p.paramCount > 0 ? p1 : 1, p.paramCount > 1 ? p2 : t->rows);
        break;
    case 's':
        screenSaveCursor(t);
        break;
    case 'u':
        screenRestoreCursor(t);
        break;
    default:
        break;
    }
}

} // namespace zn
