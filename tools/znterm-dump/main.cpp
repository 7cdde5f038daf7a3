// znterm-dump [--cols C] [--rows R] [--utf8] [--eight-bit] [--history] [--cursor] [FILE|-]
//
// Feeds the bytes into a terminal core set up like the message window's
// (LNM among the default modes, 80 x 24, 10000 lines of scrollback) and prints
// the screen, one row per line without trailing blanks, as UTF-8.
#include "terminalcore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace zn;

namespace {

struct Options {
    uint32_t cols = 80;
    uint32_t rows = 24;
    bool utf8 = false;
    bool eightBit = false;
    bool history = false;
    bool cursor = false;
    const char *file = "-";
};

void usage()
{
    std::fputs("usage: znterm-dump [--cols C] [--rows R] [--utf8] [--eight-bit] [--history] [--cursor] [FILE|-]\n",
               stderr);
}

bool parseSize(const char *text, uint32_t *value)
{
    char *end = nullptr;
    const unsigned long v = std::strtoul(text, &end, 10);
    if (!*text || *end || v < kTerminalMinSize || v > kTerminalMaxSize)
        return false;
    *value = uint32_t(v);
    return true;
}

bool parseArguments(int argc, char **argv, Options *o)
{
    bool haveFile = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--cols" || arg == "--rows") && i + 1 < argc) {
            if (!parseSize(argv[++i], arg == "--cols" ? &o->cols : &o->rows))
                return false;
        } else if (arg == "--utf8") {
            o->utf8 = true;
        } else if (arg == "--eight-bit") {
            o->eightBit = true;
        } else if (arg == "--history") {
            o->history = true;
        } else if (arg == "--cursor") {
            o->cursor = true;
        } else if ((arg == "-" || arg[0] != '-') && !haveFile) {
            o->file = argv[i];
            haveFile = true;
        } else {
            return false;
        }
    }
    return true;
}

void appendUtf8(std::string *out, uint32_t c)
{
    if (c < 0x80) {
        out->push_back(char(c));
    } else if (c < 0x800) {
        out->push_back(char(0xC0 | c >> 6));
        out->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(char(0xE0 | c >> 12));
        out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(char(0x80 | (c & 0x3F)));
    } else {
        out->push_back(char(0xF0 | c >> 18));
        out->push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(char(0x80 | (c & 0x3F)));
    }
}

void printLine(TerminalCore *t, const TerminalLine *line)
{
    const TerminalCell *cells = lineCells(line);
    uint32_t width = terminalCoreLineWidth(t, line);
    while (width > 0 && cellChar(cells[width - 1]) == 32)
        --width;
    std::string text;
    for (uint32_t x = 0; x < width; ++x)
        appendUtf8(&text, cellChar(cells[x]));
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!parseArguments(argc, argv, &o)) {
        usage();
        return 2;
    }
    FILE *in = std::strcmp(o.file, "-") == 0 ? stdin : std::fopen(o.file, "rb");
    if (!in) {
        std::fprintf(stderr, "znterm-dump: cannot open %s\n", o.file);
        return 1;
    }
    TerminalCore *t = terminalCoreCreate(nullptr, nullptr);
    if (!t || !terminalCoreResize(t, o.cols, o.rows, kTerminalHistoryLines)) {
        std::fputs("znterm-dump: out of memory\n", stderr);
        return 1;
    }
    // As the message window's frame sets it up.
    t->modes |= kModeLnm;
    t->defaultModes = t->modes;
    terminalCoreFullReset(t);
    terminalCoreMarkAllChanged(t);
    if (o.utf8)
        t->options |= kOptionUtf8;
    if (o.eightBit)
        t->options |= kOptionEightBit;

    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        terminalCoreFeed(t, chunk, got);
    if (in != stdin)
        std::fclose(in);

    if (o.history) {
        for (int32_t row = -int32_t(t->historyCount); row < 0; ++row)
            printLine(t, terminalCoreLine(t, row));
    }
    for (uint32_t row = 0; row < t->rows; ++row)
        printLine(t, terminalCoreLine(t, int32_t(row)));
    if (o.cursor)
        std::printf("cursor %u %u\n", t->cursorY, t->cursorX);
    terminalCoreDestroy(t);
    return 0;
}
