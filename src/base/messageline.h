// The message-line convention shared by every producer: a prefix such as
// "[Scan] ", then the text; warnings in yellow and errors in red, each
// coloured line ending with the reset sequence.
#pragma once

#include <QString>

inline QString warningLine(const QString &prefix, const QString &text)
{
    return prefix + QStringLiteral("\x1b[33m") + text + QStringLiteral("\x1b[0m");
}

inline QString errorLine(const QString &prefix, const QString &text)
{
    return prefix + QStringLiteral("\x1b[31m") + text + QStringLiteral("\x1b[0m");
}

// Text from the network made safe for a message line: control characters
// (C0, DEL, C1) appear as "\xHH" instead of reaching the terminal, so that a
// device's name can neither recolour or clear the window nor forge lines.
inline QString printableText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            out += QStringLiteral("\\x") + QString::number(c.unicode(), 16).rightJustified(2, u'0').toUpper();
        else
            out += c;
    }
    return out;
}
