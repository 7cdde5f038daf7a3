#include "simulatorprocess.h"

#include <QDeadlineTimer>
#include <QJsonDocument>

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

bool SimulatorProcess::start(int segment, const QStringList &args)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(qEnvironmentVariable("ZNNET_EXEC"),
                    QStringList{QString::number(segment), qEnvironmentVariable("ZNSIM")} + args);
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        if (lines().contains(QStringLiteral("ready")))
            return true;
        m_process.waitForReadyRead(int(deadline.remainingTime()));
    }
    return false;
}

void SimulatorProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

QStringList SimulatorProcess::lines()
{
    m_output += m_process.readAllStandardOutput();
    // Whole lines only: the last may be half written.
    QStringList lines = QString::fromUtf8(m_output.left(m_output.lastIndexOf('\n') + 1)).split(u'\n');
    lines.removeLast();
    return lines;
}

QJsonArray SimulatorProcess::devices(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("ZNSIM"), args + QStringList{QStringLiteral("--print-devices")});
    process.waitForFinished(10000);
    return QJsonDocument::fromJson(process.readAllStandardOutput()).array();
}
