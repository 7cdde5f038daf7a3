// The controller side of the configuration transfer: every simulated device
// holds a registry area, serves it in blocks following the tool's
// acknowledgements and takes uploads by requesting blocks. Datagrams of the
// transfer cross a FaultyLink in both directions, and single devices can be
// made to deny, fail, fall silent or send a stale final block first.
#pragma once

#include "command.h"
#include "faultylink.h"
#include "simdevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>

class Simulator;

class ConfigPeer : public QObject {
    Q_OBJECT

public:
    // Behaviours of one device, by MAC.
    struct DeviceFaults {
        bool deny = false;    // answers every request with "denied" (opcode 8)
        int errorAfter = -1;  // "error" (opcode 9) instead of what follows block N
        int silentAfter = -1; // no answer at all after block N (0: never answers)
        bool staleFirst = false; // the final block goes out before the first of a download
    };

    struct Options {
        QHash<quint64, QByteArray> registries; // registry areas from files; the others get a default
        QHash<quint64, DeviceFaults> faults;
        FaultyLink::Options link;
        QString saveDir; // each device's registry as DIR/<MAC>.znc, at start and after each upload
        quint64 seed = 1;
    };

    ConfigPeer(Simulator &simulator, const QList<SimDevice> &devices, const Options &options);

    // Registers the transfer opcodes and writes the registries to saveDir;
    // false when an option names a MAC that no device has, or a file cannot
    // be written.
    bool start(QString *error);

private:
    enum class Mode { Idle, Download, Upload };

    struct Device {
        SimDevice identity;
        DeviceFaults faults;
        QByteArray area; // what a download serves
        Mode mode = Mode::Idle;
        Destination peer;
        quint32 total = 0;
        quint32 expected = 0; // upload: the offset wanted next
        int blocks = 0;       // blocks sent or taken in this transfer
        QByteArray incoming;
        QByteArray lastRequest; // the copies of one send are acted on once
        qint64 lastRequestMs = -1;
    };

    void receive(const Command &command);
    void act(Device &device, const QByteArray &raw, const Destination &from);
    bool isCopy(Device &device, const QByteArray &raw);
    void startDownload(Device &device);
    void startUpload(Device &device, quint32 total);
    void sendBlock(Device &device, quint32 offset);
    void takeBlock(Device &device, const zn::DecodedDatagram &decoded);
    void requestNext(Device &device);
    // False when a fault of the device answers in place of the next datagram.
    bool answersNormally(Device &device);
    void reply(const Device &device, quint16 opcode, const std::function<void(zn::DatagramBuilder *)> &records);
    bool save(const Device &device, QString *error) const;

    Simulator &m_simulator;
    QHash<quint64, Device> m_devices;
    QList<quint64> m_namedMacs; // by the options
    QString m_saveDir;
    FaultyLink m_link;
    QElapsedTimer m_clock;
};
