// A 48-bit IEEE hardware address. Devices are identified by it everywhere,
// so it is a plain value that can key hashes and travel in signals.
#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

#include <optional>

class Mac
{
public:
    Mac() = default;
    // Keeps the low 48 bits; the first octet on the wire is the most significant.
    explicit Mac(quint64 value);

    // Octet 0 becomes bits 47..40, octet 5 bits 7..0.
    static Mac fromBytes(const uchar *six);

    quint64 value() const { return m_value; }
    bool isNull() const { return m_value == 0; }

    // Six upper-case hex pairs joined by the separator: always 17 characters.
    QString toString(QChar separator = u':') const;

    // One to six groups of one or two hex digits separated by ':' or '-',
    // each group one octet ("0:1:2:3:4:5" is 00:01:02:03:04:05). A vendor
    // prefix (24 bits) is put in front of a value that fits in 24 bits.
    // Fails (out set to zero, false returned) on any other text or on zero.
    static bool parse(const QString &text, Mac *out, std::optional<quint32> vendorPrefix = std::nullopt);

    friend bool operator==(Mac a, Mac b) { return a.m_value == b.m_value; }
    friend bool operator!=(Mac a, Mac b) { return a.m_value != b.m_value; }

private:
    quint64 m_value = 0;
};

inline size_t qHash(Mac mac, size_t seed = 0) noexcept
{
    return qHash(mac.value(), seed);
}

Q_DECLARE_METATYPE(Mac)
