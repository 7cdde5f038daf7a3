#include "flasher.h"

Flasher::Flasher(QObject *parent)
    : QTimer(parent)
{
    setInterval(StepMs);
    setSingleShot(false);
    connect(this, &QTimer::timeout, this, &Flasher::onTimeout);
}

void Flasher::flashRow(const QModelIndex &index)
{
    m_index = index;
    m_count = Steps;
    start();
}

void Flasher::onTimeout()
{
    if (m_index.isValid() && m_count > 0) {
        --m_count;
        emit flash(m_index, m_count);
        if (m_count == 0) {
            // Hold the last state so that the row does not flash again at once.
            setSingleShot(true);
            start(HoldMs);
        }
        return;
    }
    stop();
    m_count = -1;
    deleteLater();
}
