// Construction, options, the context menu, what is shown, and the line editor
// hooks. Logging and replay live in terminallog.cpp.
#include "terminalwidget.h"

#include "lineeditor.h"
#include "terminalcore.h"
#include "terminalframe.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QTimer>

#include <cstring>

using namespace zn;

namespace {

const QString kHistoryKey = QStringLiteral("TerminalWidget/History");

} // namespace

TerminalWidget::TerminalWidget(QWidget *parent)
    : QWidget(parent)
    , m_frame(new TerminalFrame(this))
    , m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_frame);
    layout->addWidget(m_scrollBar);
    m_frame->setScrollBar(m_scrollBar);
    setFocusProxy(m_frame);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    createMenu();
}

TerminalWidget::~TerminalWidget() = default;

void TerminalWidget::createMenu()
{
    m_menu = new QMenu(this);
    auto add = [this](const QString &text, auto slot, const char *icon = nullptr) {
        QAction *action = m_menu->addAction(text, this, slot);
        if (icon)
            action->setIcon(QIcon(QLatin1String(icon)));
        return action;
    };
    add(tr("Copy"), &TerminalWidget::copy)->setShortcut(QKeySequence(tr("Ctrl+Shift+C")));
    add(tr("Paste"), &TerminalWidget::paste)->setShortcut(QKeySequence(tr("Ctrl+Shift+V")));
    m_menu->addSeparator();
    add(tr("Reset"), [this] { reset(); })->setShortcut(QKeySequence(tr("F8")));
    m_menu->addSeparator();
    m_logOpenAction = add(tr("Log messages to file"), qOverload<>(&TerminalWidget::logOpen),
                          ":/icons/i16_control_record.png");
    m_logStopAction = add(tr("Stop logging"), &TerminalWidget::logClose, ":/icons/i16_control_stop.png");
    m_replayAction = add(tr("Replay message log"), qOverload<>(&TerminalWidget::logReplay),
                         ":/icons/i16_control_play.png");
    setLogActions(false);
    m_menu->addSeparator();
    static const char *const kOptionTexts[OptionCount] = {
        QT_TR_NOOP("8-Bit Controls"), QT_TR_NOOP("UTF-8"), QT_TR_NOOP("Flash dirty cells"), QT_TR_NOOP("Jump Scroll"),
        QT_TR_NOOP("Autofeed"), QT_TR_NOOP("Scroll to Bottom on TTY Output"), QT_TR_NOOP("Scroll to Bottom on Key Press"),
    };
    for (int i = 0; i < OptionCount; ++i) {
        const auto which = Option(i);
        QAction *action = add(tr(kOptionTexts[i]), [this, which] { setOption(which, !option(which)); });
        action->setCheckable(true);
        m_optionActions[i] = action;
    }
    m_menu->addSeparator();
    add(tr("Ansi codes help"), &TerminalWidget::ansiHelp, ":/icons/i16_ansihelp.png");
    m_menu->addSeparator();
    add(tr("Smaller font"), &TerminalWidget::onFontMinus)->setShortcut(QKeySequence(tr("Ctrl+Shift+-")));
    add(tr("Larger font"), &TerminalWidget::onFontPlus)->setShortcut(QKeySequence(tr("Ctrl+Shift++")));
}

void TerminalWidget::contextMenuEvent(QContextMenuEvent *event)
{
    refreshChecks();
    m_menu->popup(event->globalPos());
}

void TerminalWidget::refreshChecks()
{
    for (int i = 0; i < OptionCount; ++i)
        m_optionActions[i]->setChecked(option(Option(i)));
}

bool TerminalWidget::option(Option which) const
{
    const TerminalCore *core = m_frame->core();
    switch (which) {
    case EightBit:
        return core->options & kOptionEightBit;
    case Utf8:
        return core->options & kOptionUtf8;
    case Flash:
        return m_frame->flashDirtyCells();
    case JumpScroll:
        return m_frame->jumpScroll();
    case AutoFeed:
        return core->modes & kModeLnm;
    case JumpOnOutput:
        return core->options & kOptionJumpOnOutput;
    case JumpOnKey:
        return core->options & kOptionJumpOnKey;
    case OptionCount:
        break;
    }
    return false;
}

void TerminalWidget::setOption(Option which, bool on)
{
    TerminalCore *core = m_frame->core();
    const auto setBit = [on](uint32_t &word, uint32_t bit) { word = on ? word | bit : word & ~bit; };
    switch (which) {
    case EightBit:
        setBit(core->options, kOptionEightBit);
        break;
    case Utf8:
        setBit(core->options, kOptionUtf8);
        break;
    case Flash:
        m_frame->setFlashDirtyCells(on);
        break;
    case JumpScroll:
        m_frame->setJumpScroll(on);
        break;
    case AutoFeed:
        setBit(core->modes, kModeLnm);
        break;
    case JumpOnOutput:
        setBit(core->options, kOptionJumpOnOutput);
        break;
    case JumpOnKey:
        setBit(core->options, kOptionJumpOnKey);
        break;
    case OptionCount:
        break;
    }
    refreshChecks();
}

bool TerminalWidget::utf8Mode() const { return option(Utf8); }
bool TerminalWidget::eightBitMode() const { return option(EightBit); }
bool TerminalWidget::flashDirtyCells() const { return option(Flash); }
bool TerminalWidget::jumpScroll() const { return option(JumpScroll); }
bool TerminalWidget::autoFeed() const { return option(AutoFeed); }
bool TerminalWidget::jumpToBottomOnOutput() const { return option(JumpOnOutput); }
bool TerminalWidget::jumpToBottomOnKeyPress() const { return option(JumpOnKey); }
void TerminalWidget::setUtf8Mode(bool en) { setOption(Utf8, en); }
void TerminalWidget::setEightBitMode(bool en) { setOption(EightBit, en); }
void TerminalWidget::setFlashDirtyCells(bool en) { setOption(Flash, en); }
void TerminalWidget::setJumpScroll(bool en) { setOption(JumpScroll, en); }
void TerminalWidget::setAutoFeed(bool en) { setOption(AutoFeed, en); }
void TerminalWidget::setJumpToBottomOnOutput(bool en) { setOption(JumpOnOutput, en); }
void TerminalWidget::setJumpToBottomOnKeyPress(bool en) { setOption(JumpOnKey, en); }
void TerminalWidget::toggleUtf8Mode() { setOption(Utf8, !option(Utf8)); }
void TerminalWidget::toggleEightBitMode() { setOption(EightBit, !option(EightBit)); }
void TerminalWidget::toggleFlashDirtyCells() { setOption(Flash, !option(Flash)); }
void TerminalWidget::toggleJumpScroll() { setOption(JumpScroll, !option(JumpScroll)); }
void TerminalWidget::toggleAutoFeed() { setOption(AutoFeed, !option(AutoFeed)); }
void TerminalWidget::toggleJumpToBottomOnOutput() { setOption(JumpOnOutput, !option(JumpOnOutput)); }
void TerminalWidget::toggleJumpToBottomOnKeyPress() { setOption(JumpOnKey, !option(JumpOnKey)); }

QSize TerminalWidget::terminalSize() const
{
    return m_frame->terminalSize();
}

void TerminalWidget::setTerminalSize(const QSize &size)
{
    m_frame->resizeTerminal(size.width(), size.height(), false);
}

QFont TerminalWidget::terminalFont() const
{
    return m_frame->terminalFont();
}

void TerminalWidget::setTerminalFont(const QFont &font)
{
    m_frame->setTerminalFont(font);
}

void TerminalWidget::changeTerminalFontSize(int delta)
{
    m_frame->changeTerminalFontSize(delta);
}

void TerminalWidget::onFontPlus()
{
    changeTerminalFontSize(1);
}

void TerminalWidget::onFontMinus()
{
    changeTerminalFontSize(-1);
}

void TerminalWidget::setBlinkingCursor(bool on)
{
    m_frame->setBlinkingCursor(on);
}

void TerminalWidget::enableCursor(bool on)
{
    m_frame->enableCursor(on);
}

void TerminalWidget::scrollbackPageUp()
{
    m_frame->pageUp();
}

void TerminalWidget::scrollbackPageDown()
{
    m_frame->pageDown();
}

void TerminalWidget::showScrollBar(bool on)
{
    m_scrollBar->setVisible(on);
}

void TerminalWidget::paste()
{
    m_frame->paste();
}

void TerminalWidget::copy()
{
    m_frame->copy();
}

void TerminalWidget::reset(int w, int h)
{
    m_frame->resizeTerminal(w, h, true);
}

void TerminalWidget::input(const QString &str)
{
    m_frame->putText(str);
    if (isLogging()) {
        const QByteArray bytes = str.toUtf8();
        log(bytes.constData(), bytes.size());
    }
}

void TerminalWidget::input(const char *str, int len)
{
    if (!str || len <= 0)
        return;
    m_frame->putBytes(str, size_t(len));
    log(str, len);
}

void TerminalWidget::input(const char *txt)
{
    if (txt)
        input(txt, int(std::strlen(txt)));
}

void TerminalWidget::input(int ch)
{
    input(QString(QChar(char16_t(ch))));
}

void TerminalWidget::printline()
{
    printline(QString());
}

// A full-width rule (one column short, so that it never wraps), on a line of its own.
void TerminalWidget::printline(const QString &title)
{
    QString text = title.isEmpty() ? QString() : QStringLiteral("--- %1 ---").arg(title);
    const int width = int(m_frame->core()->cols) - 1;
    if (text.size() < width)
        text += QString(width - text.size(), QLatin1Char('-'));
    if (m_frame->core()->shownCursorX != 0)
        text.prepend(QStringLiteral("\r\n"));
    input(text + QStringLiteral("\r\n"));
}

QByteArray TerminalWidget::encodeLocal(const QString &text) const
{
    return utf8Mode() ? text.toUtf8() : text.toLocal8Bit();
}

QString TerminalWidget::decodeLocal(const QByteArray &bytes) const
{
    return utf8Mode() ? QString::fromUtf8(bytes) : QString::fromLocal8Bit(bytes);
}

void TerminalWidget::enableReadline(bool on)
{
    if (!on) {
        if (m_frame->lineEditor()) {
            onSaveReadline();
            delete m_historySaveTimer;
            m_historySaveTimer = nullptr;
            m_frame->enableReadline(false);
        }
        return;
    }
    m_frame->enableReadline(true);
    LineEditor *editor = m_frame->lineEditor();
    if (!editor || m_historySaveTimer)
        return;
    QByteArray history;
    for (const QString &entry : QSettings().value(kHistoryKey).toStringList())
        history += encodeLocal(entry) + '\0';
    lineEditorLoadHistory(editor, history.constData(), size_t(history.size()));
    m_historySaveTimer = new QTimer(this);
    m_historySaveTimer->setSingleShot(true);
    m_historySaveTimer->setInterval(kHistorySaveDelayMs);
    connect(m_historySaveTimer, &QTimer::timeout, this, &TerminalWidget::onSaveReadline);
}

void TerminalWidget::setLineMode(bool on)
{
    m_frame->setLineMode(on);
}

void TerminalWidget::onSaveReadline()
{
    const LineEditor *editor = m_frame->lineEditor();
    if (!editor)
        return;
    size_t size = 0;
    const char *history = lineEditorHistory(editor, &size);
    QStringList entries;
    for (size_t start = 0; start < size;) {
        const auto *end = static_cast<const char *>(std::memchr(history + start, 0, size - start));
        const size_t length = end ? size_t(end - (history + start)) : size - start;
        entries << decodeLocal(QByteArray(history + start, qsizetype(length)));
        start += length + 1;
    }
    QSettings().setValue(kHistoryKey, entries);
}

void TerminalWidget::readlineTrigger()
{
    if (!m_frame->lineEditor())
        return;
    m_frame->readlineTrigger();
    m_historySaveTimer->start();
}
