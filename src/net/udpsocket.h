// One UDP port on the whole workstation: a socket on the wildcard address and
// one on every IPv4 address of every interface. Everything sent goes out as a
// limited broadcast from each of them; everything received is reported once
// per arrival through `received`.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkAddressEntry>
#include <QObject>

class QUdpSocket;

class UDPSocket : public QObject
{
    Q_OBJECT

public:
    explicit UDPSocket(QObject *parent);
    ~UDPSocket() override;

    bool bind(int port);
    bool broadcast(const void *data, size_t len, const char *label);

    int boundPort() const { return port; }
    int socketCount() const { return int(sockets.size()); }

Q_SIGNALS:
    // `data` is valid only while the signal is delivered: receivers copy what they keep.
    void received(const QHostAddress &peer, int peer_port, const void *data, size_t len);
    void message(const QString &str);
    void warning(const QString &str);
    void error(const QString &str);

private Q_SLOTS:
    void onReadyRead();

private:
    struct SocketEntry {
        QUdpSocket *socket;
        QNetworkAddressEntry address;
    };

    QUdpSocket *bindWithRetries(const QHostAddress &address, int bindPort, const QString &label);
    void bindInterfaces(int port);
    void addSocket(QUdpSocket *socket, const QNetworkAddressEntry &address);
    void warn(const QString &text);
    void fail(const QString &text);

    int port = -1;
    QList<SocketEntry *> sockets;
};
