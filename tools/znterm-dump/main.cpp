// znterm-dump: feeds bytes into a terminal core set up like the message
// window's (LNM among the default modes, 80 x 24, 10000 lines of scrollback)
// and prints the screen, one row per line without trailing blanks, as UTF-8.
#include "commandline.h"
#include "terminalcore.h"

#include <QFile>

#include <cstdio>
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
    QByteArray file = "-";
};

bool parseSize(const QString &text, uint32_t *value)
{
    bool ok = false;
    const uint v = text.toUInt(&ok);
    if (!ok || v < kTerminalMinSize || v > kTerminalMaxSize)
        return false;
    *value = v;
    return true;
}

// Returns the exit status when the program ends here (help, version, usage error).
std::optional<int> parseArguments(int argc, char **argv, Options *o)
{
    CommandLine command(
        QStringLiteral("znterm-dump"), QStringLiteral("[options] [FILE|-]"),
        QStringLiteral("Feeds the bytes of FILE (or standard input) into a terminal set up like the message\n"
                       "window's and prints the screen, one row a line without trailing blanks, as UTF-8.\n"
                       "Exit status: 0 done, 1 the file cannot be read, 2 usage error."),
        CommandLine::Program);
    const QString sizeRange = QStringLiteral("%1 to %2").arg(kTerminalMinSize).arg(kTerminalMaxSize);
    const QCommandLineOption cols(QStringLiteral("cols"), QStringLiteral("Columns, %1 (default 80).").arg(sizeRange),
                                  QStringLiteral("C"), QStringLiteral("80"));
    const QCommandLineOption rows(QStringLiteral("rows"), QStringLiteral("Rows, %1 (default 24).").arg(sizeRange),
                                  QStringLiteral("R"), QStringLiteral("24"));
    const QCommandLineOption utf8(QStringLiteral("utf8"), QStringLiteral("Decodes the bytes as UTF-8."));
    const QCommandLineOption eightBit(QStringLiteral("eight-bit"), QStringLiteral("Accepts 8-bit C1 controls (0x80 to 0x9F)."));
    const QCommandLineOption history(QStringLiteral("history"),
                                     QStringLiteral("Prints the scrollback lines before the screen."));
    const QCommandLineOption cursor(QStringLiteral("cursor"),
                                    QStringLiteral("Prints \"cursor ROW COLUMN\" (from 0) after the screen."));
    command.parser().addOptions({cols, rows, utf8, eightBit, history, cursor});
    command.parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The bytes; - or none: standard input."));
    if (const auto exit = command.parse(programArguments(argc, argv), 0, 1))
        return exit;
    const QCommandLineParser &parser = command.parser();
    if (!parseSize(parser.value(cols), &o->cols))
        return command.usageError(QStringLiteral("Bad --cols value."));
    if (!parseSize(parser.value(rows), &o->rows))
        return command.usageError(QStringLiteral("Bad --rows value."));
    o->utf8 = parser.isSet(utf8);
    o->eightBit = parser.isSet(eightBit);
    o->history = parser.isSet(history);
    o->cursor = parser.isSet(cursor);
    if (!parser.positionalArguments().isEmpty())
        o->file = QFile::encodeName(parser.positionalArguments().first());
    return std::nullopt;
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
    if (const auto exit = parseArguments(argc, argv, &o))
        return *exit;
    FILE *in = o.file == "-" ? stdin : std::fopen(o.file.constData(), "rb");
    if (!in) {
        std::fprintf(stderr, "znterm-dump: cannot open %s\n", o.file.constData());
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
