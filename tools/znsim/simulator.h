// Many controllers behind one UDP socket on the protocol port: answers
// discovery requests for every device after a random delay and hands
// commands addressed to a device's MAC to the handler registered for the opcode.
#pragma once

#include "answerschedule.h"
#include "command.h"
#include "simdevice.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

class Simulator : public QObject {
    Q_OBJECT

public:
    struct Options {
        int spreadMs = 200;        // answers come after 0..spreadMs ms
        bool replyUnicast = false; // answer the requester instead of broadcasting
        quint64 seed = 1;          // for the answer delays
    };

    Simulator(const QList<SimDevice> &devices, const Options &options, QObject *parent = nullptr);

    void registerHandler(quint16 opcode, const CommandHandler &handler);
    bool bind(QString *error);

    // Sends at once from the protocol port; false when the socket refuses it.
    bool send(const QByteArray &datagram, const Destination &to);
    // Sends one datagram as given, from the protocol port or from another one.
    bool sendRaw(const QByteArray &datagram, quint16 fromPort, QString *error);

    // One line on standard output, flushed at once (tests read it live).
    static void log(const QString &line);

    static Destination broadcastDestination();
    // Where the devices answer a datagram from `requester` (--reply).
    Destination replyDestination(const Destination &requester) const;

private slots:
    void onReadyRead();
    void sendDueAnswers();

private:
    void handleDatagram(const QByteArray &datagram, const Destination &from);
    void scheduleAnswers(const Destination &requester);
    void armScheduleTimer();
    bool isOwnDatagram(const Destination &from) const;

    QList<SimDevice> m_devices;
    QList<QByteArray> m_answers; // encoded once: identities do not change
    QMultiHash<quint64, int> m_devicesByMac;
    QHash<quint16, CommandHandler> m_handlers;
    Options m_options;
    QRandomGenerator m_random;
    QUdpSocket m_socket;
    QList<QHostAddress> m_ownAddresses;
    AnswerSchedule m_schedule;
    QTimer m_scheduleTimer;
    QElapsedTimer m_clock;
};
