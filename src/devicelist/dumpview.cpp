#include "dumpview.h"

#include <QFontMetrics>

DumpView::DumpView(QWidget *parent, const QString &text)
    : QPlainTextEdit(parent)
{
    QFont font(QStringLiteral("Courier"), 10);
    // Where no Courier is installed the dump columns still line up.
    font.setStyleHint(QFont::TypeWriter);
    setFont(font);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    if (!text.isEmpty())
        setPlainText(text);
}

QSize DumpView::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {80 * metrics.horizontalAdvance(QLatin1Char('M')), 24 * metrics.lineSpacing()};
}
