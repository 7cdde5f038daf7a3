// C0/C1 controls (execute) and escape sequences (esc_dispatch).
#include "terminalinternal.h"

namespace zn {

void parserLineFeeds(TerminalCore *t, size_t n)
{
    if (t->modes & kModeLnm)
        t->cursorX = 0;
    screenIndexLines(t, n);
}

static void invoke(TerminalCore *t, uint32_t set)
{
    t->lockingShift = set;
    charsetUpdateActive(t);
}

void parserExecute(TerminalCore *t, uint32_t c)
{
    switch (c) {
    case 0x07:
        if (t->callbacks && t->callbacks->bell)
            t->callbacks->bell(t);
        break;
    case 0x08:
        if (t->wrapPending)
            t->wrapPending = 0;
        else
            screenCursorBack(t, 1);
        break;
    case 0x09:
        screenTabForward(t, 1);
        break;
    case 0x0A:
    case 0x0B:
    case 0x0C:
        parserLineFeeds(t, 1);
        break;
    case 0x0D:
        t->cursorX = 0;
        break;
    case 0x0E:
        invoke(t, 1);
        break;
    case 0x0F:
        invoke(t, 0);
        break;
    case 0x84:
        screenIndex(t);
        break;
    case 0x85:
        screenNextLine(t);
        break;
    case 0x88:
        screenSetTabStop(t);
        break;
    case 0x8D:
        screenReverseIndex(t);
        break;
    case 0x9A:
        coreReplyDeviceAttributes(t);
        break;
    default:
        break;
    }
}

static void escPlain(TerminalCore *t, uint32_t final)
{
    switch (final) {
    case '7':
        screenSaveCursor(t);
        break;
    case '8':
        screenRestoreCursor(t);
        break;
    case '=':
        t->modes |= kModeKeypad;
        break;
    case '>':
        t->modes &= ~kModeKeypad;
        break;
    case 'D':
        screenIndex(t);
        break;
    case 'E':
        screenNextLine(t);
        break;
    case 'H':
        screenSetTabStop(t);
        break;
    case 'M':
        screenReverseIndex(t);
        break;
    case 'N':
        t->singleShift = 2;
        break;
    case 'O':
        t->singleShift = 3;
        break;
    case 'Z':
        coreReplyDeviceAttributes(t);
        break;
    case 'c':
        coreFullReset(t, PatternBlank);
        break;
    default:
        break;
    }
}

static void escLineSize(TerminalCore *t, uint32_t final)
{
    switch (final) {
    case '3':
        screenSetLineSize(t, kLineDoubleTop);
        break;
    case '4':
        screenSetLineSize(t, kLineDoubleBottom);
        break;
    case '5':
        screenSetLineSize(t, kLineSingle);
        break;
    case '6':
        screenSetLineSize(t, kLineDoubleWidth);
        break;
    case '7':
        screenCharacterTable(t);
        break;
    case '8':
        screenAlignmentTest(t);
        break;
    default:
        break;
    }
}

static void escDesignate(TerminalCore *t, uint32_t set, uint32_t final)
{
    switch (final) {
    case '0':
        t->charsets[set] = CharsetDecGraphics;
        break;
    case 'A':
        t->charsets[set] = CharsetUnitedKingdom;
        break;
    case 'B':
        t->charsets[set] = CharsetUsAscii;
        break;
    case 'U':
        t->charsets[set] = CharsetIbmPc;
        break;
    default:
        return;
    }
    charsetUpdateActive(t);
}

static void escUtf8(TerminalCore *t, uint32_t final)
{
    if (final == '@')
        t->options &= ~kOptionUtf8;
    else if (final == 'G' || final == '8')
        t->options |= kOptionUtf8;
    else
        return;
    t->parser.utf8State = 0;
    t->singleShift = -1;
    charsetUpdateActive(t);
}

void parserEscDispatch(TerminalCore *t, uint32_t final)
{
    const uint8_t *i = t->parser.intermediates;
    if (i[0] == 0) {
        escPlain(t, final);
        return;
    }
    if (i[1] != 0)
        return; // no sequence here takes two intermediates
    switch (i[0]) {
    case ' ':
        if (final == 'F')
            t->modes &= ~kModeS8c1t;
        else if (final == 'G')
            t->modes |= kModeS8c1t;
        break;
    case '#':
        escLineSize(t, final);
        break;
    case '(':
        escDesignate(t, 0, final);
        break;
    case ')':
        escDesignate(t, 1, final);
        break;
    case '%':
        escUtf8(t, final);
        break;
    default:
        break;
    }
}

} // namespace zn
