// Discovery answers waiting for their random delay: one ordered queue and one
// timer serve thousands of devices.
#pragma once

#include "command.h"

#include <queue>
#include <vector>

class AnswerSchedule {
public:
    struct Entry {
        qint64 dueMs = 0;
        quint64 sequence = 0; // keeps equal due times in arrival order
        int device = 0;
        Destination to;
        int failures = 0; // sends refused so far (full socket buffer)
    };

    void add(qint64 dueMs, int device, const Destination &to, int failures = 0);
    bool isEmpty() const { return m_queue.empty(); }
    const Entry &next() const { return m_queue.top(); }
    Entry takeNext();

private:
    struct Later {
        bool operator()(const Entry &a, const Entry &b) const
        {
            return a.dueMs != b.dueMs ? a.dueMs > b.dueMs : a.sequence > b.sequence;
        }
    };
    std::priority_queue<Entry, std::vector<Entry>, Later> m_queue;
    quint64 m_sequence = 0;
};
