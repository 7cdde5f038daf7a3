#include "terminalkeys.h"

#include <QKeyEvent>

namespace {

// Ctrl+2 ... Ctrl+8: the control codes of the keys' places on a VT keyboard.
constexpr char kControlDigits[] = {0x00, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x08};

QString escape(const char *tail)
{
    return QLatin1Char('\x1b') + QLatin1String(tail);
}

// Cursor, Home and End: ESC [ x normally, ESC O x in keypad application mode.
QString cursorKey(char final, bool keypadApplication)
{
    return escape(keypadApplication ? "O" : "[") + QLatin1Char(final);
}

} // namespace

QString terminalKeyText(const QKeyEvent *event, bool keypadApplication)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if ((modifiers & Qt::ControlModifier) && key >= Qt::Key_2 && key <= Qt::Key_8)
        return QString(QLatin1Char(kControlDigits[key - Qt::Key_2]));
    switch (key) {
    case Qt::Key_Escape:
        return QString(QLatin1Char('\x1b'));
    case Qt::Key_Tab:
        return (modifiers & Qt::ShiftModifier) ? escape("[Z") : QString(QLatin1Char('\t'));
    case Qt::Key_Backtab:
        return escape("[Z");
    case Qt::Key_Backspace:
        return QString(QLatin1Char('\x7f'));
    case Qt::Key_Insert:
        return escape("[2~");
    case Qt::Key_Delete:
        return escape("[3~");
    case Qt::Key_Home:
        return cursorKey('H', keypadApplication);
    case Qt::Key_End:
        return cursorKey('F', keypadApplication);
    case Qt::Key_Left:
        return cursorKey('D', keypadApplication);
    case Qt::Key_Up:
        return cursorKey('A', keypadApplication);
    case Qt::Key_Right:
        return cursorKey('C', keypadApplication);
    case Qt::Key_Down:
        return cursorKey('B', keypadApplication);
    case Qt::Key_PageUp:
        return escape("[5~");
    case Qt::Key_PageDown:
        return escape("[6~");
    default:
        break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F5)
        return escape("[[") + QLatin1Char(char('A' + (key - Qt::Key_F1)));
    static const char *const kFunctionKeys[] = {"[17~", "[18~", "[19~", "[20~", "[21~", "[23~", "[24~"};
    if (key >= Qt::Key_F6 && key <= Qt::Key_F12)
        return escape(kFunctionKeys[key - Qt::Key_F6]);
    return event->text();
}
