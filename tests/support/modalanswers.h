// Answers the modal windows that what a test does next opens and runs, one
// after the other, while the object lives: `answer` gets each once.
#pragma once

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class ModalAnswers
{
public:
    explicit ModalAnswers(std::function<void(QWidget *)> answer) : m_answer(std::move(answer)) { poll(); }

private:
    void poll()
    {
        // A fresh single-shot timer each time: while an answer runs a modal
        // window of its own, the next poll still fires.
        QTimer::singleShot(10, &m_context, [this] {
            QWidget *window = QApplication::activeModalWidget();
            poll();
            if (window && window->isVisible() && !m_answered.contains(window)) {
                m_answered << window;
                m_answer(window);
            }
        });
    }

    std::function<void(QWidget *)> m_answer;
    QList<QPointer<QWidget>> m_answered; // pointers of deleted windows turn null, so a reused address is new
    QObject m_context;
};

