#include "faultylink.h"

#include <QTimer>

FaultyLink::FaultyLink(const Options &options, quint64 seed, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_random(seed ^ 0x6C696E6B) // apart from the generator of the answer delays
{
}

void FaultyLink::pass(const std::function<void()> &deliver)
{
    if (m_random.chance(m_options.lossPercent))
        return;
    const int copies = m_random.chance(m_options.duplicatePercent) ? 2 : 1;
    for (int copy = 0; copy < copies; ++copy) {
        int wait = m_options.delayMs;
        if (m_random.chance(m_options.reorderPercent))
            wait += m_random.range(1, kMaxHoldBackMs);
        if (wait == 0)
            deliver();
        else
            QTimer::singleShot(wait, Qt::PreciseTimer, this, deliver);
    }
}
