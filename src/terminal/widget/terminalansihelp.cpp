// The help page of ANSI attribute codes.
#include "terminalwidget.h"

namespace {

// Each demonstration in its own rendition.
constexpr char kAnsiHelp[] =
    "\x1b[0m\r\n"
    "\x1b[4;34m ANSI attribute codes \x1b[0m\r\n"
    "\r\n"
    "To change the rendition of the text that follows, send ESC [ followed by one or\r\n"
    "more codes and the letter m. Codes are separated by semicolons: ESC [ 1;33;44m,\r\n"
    "for instance, gives bold yellow text on a blue background.\r\n"
    "\r\n"
    "  \x1b[0m 0 normal \x1b[0m  \x1b[1m 1 intensity \x1b[0m  \x1b[4m 4 underline \x1b[0m  \x1b[5m 5 blink \x1b[0m  \x1b[7m 7 reverse \x1b[0m\r\n"
    "\r\n"
    "  Foreground         Background\r\n"
    "  \x1b[30m 30 black    \x1b[0m       \x1b[40m 40 black    \x1b[0m\r\n"
    "  \x1b[31m 31 red      \x1b[0m       \x1b[41m 41 red      \x1b[0m\r\n"
    "  \x1b[32m 32 green    \x1b[0m       \x1b[42m 42 green    \x1b[0m\r\n"
    "  \x1b[33m 33 yellow   \x1b[0m       \x1b[43m 43 yellow   \x1b[0m\r\n"
    "  \x1b[34m 34 blue     \x1b[0m       \x1b[44m 44 blue     \x1b[0m\r\n"
    "  \x1b[35m 35 purple   \x1b[0m       \x1b[45m 45 purple   \x1b[0m\r\n"
    "  \x1b[36m 36 cyan     \x1b[0m       \x1b[46m 46 cyan     \x1b[0m\r\n"
    "  \x1b[37m 37 white    \x1b[0m       \x1b[47m 47 white    \x1b[0m\r\n"
    "\r\n"
    "  With bold (1)\r\n"
    "  \x1b[1;30m 30 black    \x1b[0m       \x1b[1;40m 40 black    \x1b[0m\r\n"
    "  \x1b[1;31m 31 red      \x1b[0m       \x1b[1;41m 41 red      \x1b[0m\r\n"
    "  \x1b[1;32m 32 green    \x1b[0m       \x1b[1;42m 42 green    \x1b[0m\r\n"
    "  \x1b[1;33m 33 yellow   \x1b[0m       \x1b[1;43m 43 yellow   \x1b[0m\r\n"
    "  \x1b[1;34m 34 blue     \x1b[0m       \x1b[1;44m 44 blue     \x1b[0m\r\n"
    "  \x1b[1;35m 35 purple   \x1b[0m       \x1b[1;45m 45 purple   \x1b[0m\r\n"
    "  \x1b[1;36m 36 cyan     \x1b[0m       \x1b[1;46m 46 cyan     \x1b[0m\r\n"
    "  \x1b[1;37m 37 white    \x1b[0m       \x1b[1;47m 47 white    \x1b[0m\r\n";

} // namespace

void TerminalWidget::ansiHelp()
{
    input(kAnsiHelp, int(sizeof kAnsiHelp - 1));
}
