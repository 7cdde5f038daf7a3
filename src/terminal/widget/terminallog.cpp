// The log of everything shown, and its paced replay.
#include "terminalwidget.h"

#include "replaypace.h"
#include "terminalcore.h"
#include "terminalframe.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

using namespace zn;

namespace {

const QString kLastLogFileKey = QStringLiteral("TerminalWidget/LastLogFile");
const QString kReplaySpeedKey = QStringLiteral("TerminalWidget/ReplaySpeed");

} // namespace

QString TerminalWidget::fileDialogStart() const
{
    const QString last = QSettings().value(kLastLogFileKey).toString();
    return last.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : last;
}

static QString logFileFilter()
{
    return TerminalWidget::tr("Log files (*.log);;All Files (*.*)");
}

void TerminalWidget::logOpen()
{
    const QString name = QFileDialog::getSaveFileName(this, tr("Log messages to file"), fileDialogStart(),
                                                      logFileFilter());
    if (!name.isEmpty())
        logOpen(name);
}

// Unbuffered, so that a failed write is seen at once and the file is
// complete up to the last line shown.
bool TerminalWidget::logOpen(const QString &filename)
{
    logClose();
    m_log.setFileName(filename);
    if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    setLogActions(true);
    QSettings().setValue(kLastLogFileKey, filename);
    return true;
}

void TerminalWidget::logClose()
{
    m_log.close();
    stopReplay();
    setLogActions(false);
}

void TerminalWidget::setLogActions(bool logging)
{
    m_logOpenAction->setEnabled(!logging);
    m_replayAction->setEnabled(!logging);
    m_logStopAction->setEnabled(logging);
}

// A log that stops taking lines (full disk, lost medium) ends logging, and
// the terminal says so, rather than the menu claiming a log that is not kept.
void TerminalWidget::log(const char *bytes, qsizetype length)
{
    if (!isLogging() || m_log.write(bytes, length) == length)
        return;
    const QString text = tr("Log file %1: %2. Logging stopped.")
                             .arg(QDir::toNativeSeparators(m_log.fileName()), m_log.errorString());
    logClose();
    QByteArray line;
    if (m_frame->core()->shownCursorX != 0)
        line += "\r\n";
    line += "\x1b[31m" + text.toUtf8() + "\x1b[0m\r\n";
    showReplayed(line.constData(), line.size());
}

void TerminalWidget::logReplay()
{
    const QString name = QFileDialog::getOpenFileName(this, tr("Replay log file"), fileDialogStart(), logFileFilter());
    if (!name.isEmpty())
        logReplay(name);
}

bool TerminalWidget::logReplay(const QString &filename)
{
    QFile file(filename);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    logClose();
    QSettings settings;
    settings.setValue(kLastLogFileKey, filename);
    const QByteArray contents = file.read(kReplayMaxBytes);
    file.close();
    printline(tr("Replay of %1").arg(QFileInfo(filename).fileName()));

    const int speed = settings.value(kReplaySpeedKey).toInt();
    if (speed <= 0) {
        showReplayed(contents.constData(), contents.size());
        printline(tr("End of replay"));
        return true;
    }
    const ReplayPace pace = replayPace(uint32_t(speed));
    qDebug("%u bytes per %ums", pace.bytes, pace.intervalMs);
    m_replayData = contents;
    m_replayPosition = 0;
    m_replayChunk = int(std::min<uint32_t>(pace.bytes, kReplayMaxBytes));
    if (!m_replayTimer) {
        m_replayTimer = new QTimer(this);
        connect(m_replayTimer, &QTimer::timeout, this, &TerminalWidget::replayTimer);
    }
    m_replayTimer->start(int(pace.intervalMs));
    return true;
}

void TerminalWidget::replayTimer()
{
    const int count = std::min(m_replayChunk, int(m_replayData.size()) - m_replayPosition);
    showReplayed(m_replayData.constData() + m_replayPosition, count);
    m_replayPosition += count;
    if (m_replayPosition < m_replayData.size())
        return;
    stopReplay();
    printline(tr("End of replay"));
}

void TerminalWidget::stopReplay()
{
    if (m_replayTimer)
        m_replayTimer->stop();
    m_replayData.clear();
    m_replayPosition = 0;
}

// Shown, not logged; decoded as UTF-8 whatever the terminal's mode, as the
// log holds text as UTF-8.
void TerminalWidget::showReplayed(const char *bytes, qsizetype length)
{
    TerminalCore *core = m_frame->core();
    const uint32_t options = core->options;
    core->options |= kOptionUtf8;
    m_frame->putBytes(bytes, size_t(length));
    core->options = (core->options & ~kOptionUtf8) | (options & kOptionUtf8);
}
