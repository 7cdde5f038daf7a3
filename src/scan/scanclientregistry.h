// A device's configuration registry: a fixed buffer of the size of the
// device's registry area and the used size. The bytes are never interpreted
// here. An upload sends the whole buffer, so it starts zero-filled: no stale
// memory ever reaches a device.
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QtGlobal>

#include <memory>

class ScanClientRegistry
{
public:
    static constexpr quint32 Capacity = 4096;

    ScanClientRegistry();
    ScanClientRegistry(const ScanClientRegistry &other);
    ScanClientRegistry &operator=(const ScanClientRegistry &other);
    ~ScanClientRegistry();

    // Copies min(length, Capacity) bytes to the start and makes that the
    // size; the bytes after it keep their old contents.
    void assign(const QByteArray &bytes);
    // Clamped to Capacity; the bytes are not touched.
    void setSize(quint32 size);

    quint32 size() const { return m_size; }
    // Always Capacity bytes. The buffer is made on first write access: most
    // listed devices never transfer, and a long list should not cost 4 KiB a row.
    uchar *data();
    const uchar *data() const;

    // Registers the type under the name "ScanClientRegistry" for queued signals.
    static void registerMetaType();

private:
    std::unique_ptr<uchar[]> m_buffer;
    quint32 m_size = 0;
};

Q_DECLARE_METATYPE(ScanClientRegistry)
