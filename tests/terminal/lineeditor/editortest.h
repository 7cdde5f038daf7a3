// Shared by the line editor tests: key strings as the terminal frame sends
// them (concatenated: "abc" K_LEFT "X"), and scripts of keys, triggers and host
// output run against any harness with keys(), trigger() and hostOutput().
#pragma once

#include "lineeditor.h"

#include <QByteArray>
#include <QList>

#define K_CTRL_A "\x01"
#define K_CTRL_C "\x03"
#define K_CTRL_D "\x04"
#define K_CTRL_E "\x05"
#define K_CTRL_F "\x06"
#define K_BACKSPACE "\x08"
#define K_CTRL_K "\x0b"
#define K_CTRL_L "\x0c"
#define K_ENTER "\r"
#define K_CTRL_N "\x0e"
#define K_CTRL_P "\x10"
#define K_CTRL_U "\x15"
#define K_CTRL_X "\x18"
#define K_CTRL_Y "\x19"
#define K_ESC "\x1b"
#define K_DEL "\x7f"
#define K_SUB "\x1a"
#define K_UP K_ESC "[A"
#define K_DOWN K_ESC "[B"
#define K_RIGHT K_ESC "[C"
#define K_LEFT K_ESC "[D"
#define K_HOME K_ESC "[H"
#define K_END K_ESC "[F"
#define K_PAGE_UP K_ESC "[5~"
#define K_PAGE_DOWN K_ESC "[6~"
#define K_INSERT K_ESC "[2~"
#define K_DELETE K_ESC "[3~"

// The prompt line's fixed strings.
#define K_PROMPT K_ESC "[?45h" K_ESC "[20h" K_ESC "[0m> " K_ESC "[?25h"
#define K_CURSOR_OFF K_ESC "[?25l"
#define K_CURSOR_ON K_ESC "[?25h"
#define K_CLEAR_TO_END " \b" K_ESC "[K"

// Script steps: TRIGGER alone, HOST "bytes" for host output, anything else is keys.
#define TRIGGER "\xfe"
#define HOST "\xff"

// A byte string that may hold zero bytes.
template <size_t N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

template <typename Harness>
void runScript(Harness &h, const QList<QByteArray> &steps)
{
    for (const QByteArray &step : steps) {
        if (step == TRIGGER)
            zn::lineEditorTrigger(h.editor);
        else if (step.startsWith(HOST))
            zn::lineEditorHostOutput(h.editor, step.constData() + 1, size_t(step.size() - 1));
        else
            zn::lineEditorKeys(h.editor, step.constData(), size_t(step.size()));
    }
}
