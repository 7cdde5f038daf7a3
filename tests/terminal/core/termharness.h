// A terminal core set up as the message window's frame sets it up, with
// every callback recorded, and the screen read back as text.
#pragma once

#include "terminalcore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTest>

class TermHarness
{
public:
    explicit TermHarness(uint32_t cols = 80, uint32_t rows = 24, uint32_t options = 0,
                         uint32_t historyLines = zn::kTerminalHistoryLines);
    ~TermHarness() { zn::terminalCoreDestroy(m_core); }
    TermHarness(const TermHarness &) = delete;
    TermHarness &operator=(const TermHarness &) = delete;

    zn::TerminalCore *core() const { return m_core; }
    void feed(const QByteArray &bytes) { zn::terminalCoreFeed(m_core, bytes.constData(), size_t(bytes.size())); }
    void feedUtf16(const QString &text)
    {
        zn::terminalCoreFeedUtf16(m_core, reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
    }

    // Row counted from screen row 0 (negative: scrollback), usable width,
    // trailing blanks removed.
    QString row(int row) const;
    QString rows(int from, int to) const; // joined by '\n'
    // All screen rows, trailing empty rows removed.
    QString screen() const;
    QString history() const { return rows(-int(m_core->historyCount), 0); } // oldest first
    QString cursor() const { return QStringLiteral("%1,%2").arg(m_core->cursorY).arg(m_core->cursorX); } // "row,col"
    zn::TerminalCell cell(uint32_t col, int row) const { return zn::lineCells(zn::terminalCoreLine(m_core, row))[col]; }
    // Clears every change mark of the view, as a paint does.
    void paint();
    QString markedCells() const; // "row:col" of every marked cell of the view, space separated

    QByteArray replies;
    int bells = 0;
    int updates = 0;
    int scrollbackChanges = 0;
    int beforeScrolls = 0;
    QList<int> leds;
    QList<int> cursorStyles;

private:
    zn::TerminalCore *m_core = nullptr;
};

// One data row per entry of a case table, named after it, holding its index.
template <typename Case, size_t N>
void addCaseRows(const Case (&cases)[N])
{
    QTest::addColumn<int>("index");
    for (const Case &c : cases)
        QTest::newRow(c.name) << int(&c - cases);
}
