// Every line a producer (scan server, socket layer) sends on its message,
// warning and error signals, for comparing whole logs.
#pragma once

#include <QSignalSpy>
#include <QStringList>

class MessageLines
{
public:
    template <typename Producer>
    explicit MessageLines(Producer *producer)
        : m_spies{QSignalSpy(producer, &Producer::message), QSignalSpy(producer, &Producer::warning),
                  QSignalSpy(producer, &Producer::error)}
    {
    }

    QStringList messages() const { return lines(m_spies[0]); }
    QStringList warnings() const { return lines(m_spies[1]); }
    QStringList errors() const { return lines(m_spies[2]); }
    void clear()
    {
        for (QSignalSpy &spy : m_spies)
            spy.clear();
    }

private:
    static QStringList lines(const QSignalSpy &spy)
    {
        QStringList out;
        for (const QList<QVariant> &arguments : spy)
            out << arguments.at(0).toString();
        return out;
    }

    QSignalSpy m_spies[3];
};
