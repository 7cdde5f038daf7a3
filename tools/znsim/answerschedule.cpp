#include "answerschedule.h"

void AnswerSchedule::add(qint64 dueMs, int device, const Destination &to, int failures)
{
    m_queue.push(Entry{dueMs, m_sequence++, device, to, failures});
}

AnswerSchedule::Entry AnswerSchedule::takeNext()
{
    Entry entry = m_queue.top();
    m_queue.pop();
    return entry;
}
