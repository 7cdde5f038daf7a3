// The terminal emulator's model: a ring of lines holding the screen and its
// scrollback, cursor and pen, margins, tab stops, character sets, modes, a
// mouse selection and per-cell change marks, fed by a DEC VT500-style escape
// sequence parser. Plain C++ with no toolkit type; the owner (the drawing
// frame) reads cells directly and hears about changes through callbacks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zn {

// One screen cell: two 32-bit words.
struct TerminalCell {
    uint32_t ch;      // character code (bits 0-19) and attributes (bits 20-27)
    uint32_t colours; // foreground (bits 0-8) and background (bits 9-17) colour numbers
};

// Character word bits.
constexpr uint32_t kCellCharMask = 0x000FFFFFu;
constexpr uint32_t kCellBold = 1u << 20;
constexpr uint32_t kCellFaint = 1u << 21;
constexpr uint32_t kCellBlink = 1u << 22;
constexpr uint32_t kCellRapidBlink = 1u << 23; // SGR 6 sets both blink bits
constexpr uint32_t kCellUnderline = 1u << 24;
constexpr uint32_t kCellInverse = 1u << 25;
constexpr uint32_t kCellItalic = 1u << 26;
constexpr uint32_t kCellChanged = 1u << 27;      // changed since the last paint
constexpr uint32_t kCellAttributeMask = 0x07F00000u;
constexpr uint32_t kCellOwnerBits = 0xC0000000u; // left alone by SGR 0 and resets

// Colour numbers: 0-255 palette, 256-263 the standard colours of SGR 30-37 /
// 40-47, 511 the default colour.
constexpr uint32_t kColourStandard = 256;
constexpr uint32_t kColourDefault = 511;
constexpr uint32_t kColourMask = 0x1FFu;
constexpr uint32_t kBackgroundShift = 9;
constexpr uint32_t kBlankColours = 0x3FFFFu; // both colours default

constexpr uint32_t cellForeground(TerminalCell cell) { return cell.colours & kColourMask; }
constexpr uint32_t cellBackground(TerminalCell cell) { return (cell.colours >> kBackgroundShift) & kColourMask; }
constexpr uint32_t cellChar(TerminalCell cell) { return cell.ch & kCellCharMask; }

// A line is a 32-bit header followed by one cell per column. Read lines
// through terminalCoreLine / terminalCoreViewLine: the core writes some of
// them out only when they are asked for.
struct TerminalLine {
    uint32_t header;
};

// Line header bits.
constexpr uint32_t kLineSizeMask = 3u;
constexpr uint32_t kLineSingle = 0u;
constexpr uint32_t kLineDoubleWidth = 1u;
constexpr uint32_t kLineDoubleTop = 2u;
constexpr uint32_t kLineDoubleBottom = 3u;
constexpr uint32_t kLineBlink = 1u << 2;   // the line holds blinking cells
constexpr uint32_t kLineChanged = 1u << 7; // the line holds changed cells
// The other header bits are the core's own bookkeeping.

inline TerminalCell *lineCells(TerminalLine *line) { return reinterpret_cast<TerminalCell *>(line + 1); }
inline const TerminalCell *lineCells(const TerminalLine *line)
{
    return reinterpret_cast<const TerminalCell *>(line + 1);
}

// Mode word bits (set by the host through sequences; reset to defaultModes).
constexpr uint32_t kModeChanged = 1u << 0; // something changed since the last update callback
constexpr uint32_t kModeLnm = 1u << 1;
constexpr uint32_t kModeAutowrap = 1u << 2;
constexpr uint32_t kModeReverseWrap = 1u << 3;
constexpr uint32_t kModeKam = 1u << 4;
constexpr uint32_t kModeSrm = 1u << 5;
constexpr uint32_t kModeCursorKeys = 1u << 6;
constexpr uint32_t kModeKeypad = 1u << 7;
constexpr uint32_t kModeLedReporting = 1u << 8;
constexpr uint32_t kModeAutoRepeat = 1u << 9;
constexpr uint32_t kModeInsert = 1u << 10;
constexpr uint32_t kModeCursorVisible = 1u << 11;
constexpr uint32_t kModeS8c1t = 1u << 12;
constexpr uint32_t kModeCursorStyleShift = 14;
constexpr uint32_t kModeCursorStyleMask = 0xFu << kModeCursorStyleShift;
constexpr uint32_t kModeBlinking = 1u << 18;    // blinking cells exist
constexpr uint32_t kModeCursorMoved = 1u << 19; // cleared by the owner when it has seen it
constexpr uint32_t kModeCreationDefault = 0xA3C;

// Option word bits (set by the owner).
constexpr uint32_t kOptionUtf8 = 1u << 0;
constexpr uint32_t kOptionEightBit = 1u << 1;
constexpr uint32_t kOptionJumpOnKey = 1u << 2;
constexpr uint32_t kOptionJumpOnOutput = 1u << 3;

constexpr uint32_t kTerminalHistoryLines = 10000;
constexpr uint32_t kTerminalMinSize = 2;
constexpr uint32_t kTerminalMaxSize = 4096;
constexpr int32_t kSelectionNone = INT32_MIN;

// Character set designations.
enum TerminalCharset : uint32_t {
    CharsetUnitedKingdom = 0,
    CharsetUsAscii = 1,
    CharsetDecGraphics = 2,
    CharsetIbmPc = 3,
};

struct TerminalCore;

// Every entry may be null. The owner paints (clears change marks) between
// calls into the core or from the update callback, not from the others.
struct TerminalCallbacks {
    void (*update)(TerminalCore *t);                                      // end of an update step with changes
    void (*reply)(TerminalCore *t, const char *bytes, size_t length);    // answer to the host
    void (*bell)(TerminalCore *t);                                        // BEL
    void (*ledsChanged)(TerminalCore *t, int leds);                       // LED mask, or -1 when not reporting
    void (*cursorStyle)(TerminalCore *t, int style);                      // DECSCUSR style 0-15
    void (*scrollbackChanged)(TerminalCore *t);                           // history, view offset or size changed
    void (*beforeScroll)(TerminalCore *t);                                // lines are about to move
};

// Parser state; survives between feed calls.
struct TerminalParser {
    uint32_t state;
    uint8_t intermediates[3]; // zero-terminated, at most 2 held
    int32_t params[16];
    uint32_t paramCount;
    uint32_t utf8State; // top byte: decoder state tag, low bits: code point so far; 0 = idle
};

struct TerminalSavedCursor {
    uint32_t x, y;
    uint32_t penCh, penColours;
    uint32_t originMode;
};

// Fields are readable by the owner. The owner writes only options,
// defaultModes and, in modes, kModeLnm (the "Autofeed" setting) and
// kModeCursorMoved (cleared once it has seen the move); everything else
// changes through the functions below.
struct TerminalCore {
    uint32_t cols, rows;
    uint32_t shownCursorX, shownCursorY; // cursor at the last update step
    uint32_t historyCount;               // lines held above the screen
    uint32_t viewOffset;                 // lines the view is scrolled back; 0 = live screen
    uint32_t leds;
    void *owner;
    const TerminalCallbacks *callbacks;
    uint32_t modes;
    uint32_t defaultModes;
    uint32_t options;
    uint8_t *bufferStart; // the line slots, then the slot tables and the tab-stop bitmap
    uint32_t lineStride;  // 4 + 8 * cols
    uint32_t bufferBytes; // (totalLines + 1) * lineStride
    uint32_t totalLines;  // rows + history lines (the spare slot aside)
    // Which slot holds which line, so that scrolling moves slot numbers, not
    // cells: screen row r is in slot rowSlots[rowBase + r]; the history is a
    // ring of slot numbers whose newest line lies just before historyHead.
    // One more slot, the spare, keeps the line a region scrolled out last.
    uint32_t *rowSlots;
    uint32_t rowBase;
    uint32_t *historySlots;
    uint32_t historyHead;
    uint32_t historyBlank; // the newest lines of the ring, this many, went in blank
    uint32_t spareSlot;
    uint32_t *shownSlots; // per view row, the slot shown there at the last update step
    uint32_t cursorX, cursorY;
    TerminalCell pen; // character bits are scratch
    uint32_t originMode;
    TerminalSavedCursor saved;
    uint32_t marginTop, marginBottom; // scroll region [top, bottom)
    uint8_t *tabStops;                // one bit per column
    uint32_t lockingShift;            // 0 = G0 invoked, 1 = G1
    const uint16_t *activeTable;      // translation table in use, or null
    uint32_t charsets[4];             // designations of G0-G3 (TerminalCharset)
    TerminalParser parser;
    int32_t selection[6]; // startX, startY, endX, endY, anchorX, anchorY; rows from screen row 0
    char16_t *selectionText;
    uint32_t inUpdate;
    uint32_t wrapPending;
    int32_t singleShift; // -1 none, 2 or 3
    uint32_t settle;     // what the next update step must settle (kSettle... in the core)
    uint32_t shownCursorVisible; // DECTCEM at the last update step
    uint32_t pendingRows;        // rows hold the alignment pattern or character table unwritten
    // Within one feed: what every row outside [touchedTop, touchedBottom)
    // is, whatever its slot still holds (0: every row is written).
    uint32_t screenPattern;
    uint32_t touchedTop, touchedBottom;
};

// Creation: no line buffer until the first resize; null on allocation failure.
TerminalCore *terminalCoreCreate(const TerminalCallbacks *callbacks, void *owner);
void terminalCoreDestroy(TerminalCore *t);

// 1 on success; 0 for a size outside 2-4096 or a failed allocation (the old
// screen stays). The frame passes kTerminalHistoryLines.
int terminalCoreResize(TerminalCore *t, uint32_t cols, uint32_t rows, uint32_t historyLines);

// Host output. Both end with one update step.
void terminalCoreFeed(TerminalCore *t, const char *data, size_t length);
void terminalCoreFeedUtf16(TerminalCore *t, const char16_t *units, size_t count);

// Cursor bookkeeping and the update callback; skipped while already running.
void terminalCoreUpdate(TerminalCore *t);

void terminalCoreReset(TerminalCore *t);
void terminalCoreFullReset(TerminalCore *t);

// View and change marks.
int terminalCoreSetViewOffset(TerminalCore *t, uint32_t lines); // 1 if it changed
void terminalCoreMarkAllChanged(TerminalCore *t);                // whole view, then the update step
void terminalCoreMarkCell(TerminalCore *t, uint32_t col, int32_t row); // row from screen row 0
int terminalCoreBlinkStep(TerminalCore *t);                      // 1 if blinking cells were found

// Line access. row counts from screen row 0 (negative = scrollback, down to
// -historyCount); null outside. A view row is row + viewOffset.
TerminalLine *terminalCoreLine(TerminalCore *t, int32_t row);
TerminalLine *terminalCoreViewLine(TerminalCore *t, uint32_t viewRow);
uint32_t terminalCoreLineWidth(const TerminalCore *t, const TerminalLine *line); // usable columns

// Selection, in (column, view row).
void terminalCoreClearSelection(TerminalCore *t);
void terminalCoreExtendSelection(TerminalCore *t, int32_t col, int32_t viewRow);
int terminalCoreIsSelected(const TerminalCore *t, int32_t col, int32_t viewRow);
const char16_t *terminalCoreSelectedText(TerminalCore *t); // zero-terminated, owned by t; null when empty

} // namespace zn
