// Edited values to payload bytes (parsePayload).
#include "valuecodec.h"

#include "digits.h"
#include "password.h"
#include "payloadbytes.h"
#include "valuetypes.h"

#include <QDateTime>
#include <QHostAddress>

#include <algorithm>
#include <limits>

namespace {

bool isTextVariant(const QVariant &value)
{
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

// A text number: decimal, or hexadecimal digits after "0x" (lower case, at
// the very start only). convert is one of QString's toInt family, which would
// also take a sign, blanks or a second "0x" after the prefix.
template<typename T>
bool textNumber(const QString &text, T (QString::*convert)(bool *, int) const, T *number)
{
    bool ok = false;
    if (!text.startsWith(QLatin1String("0x"))) {
        *number = (text.*convert)(&ok, 10);
        return ok;
    }
    const QString digits = text.mid(2);
    if (std::any_of(digits.begin(), digits.end(), [](QChar c) { return digitValue(c, 16) < 0; }))
        return false;
    *number = (digits.*convert)(&ok, 16);
    return ok;
}

// A signed integer within [low, high]: from a number, or from its text.
bool integerIn(const QVariant &value, qint64 low, qint64 high, qint64 *number)
{
    bool ok = false;
    if (isTextVariant(value))
        ok = textNumber(value.toString(), &QString::toLongLong, number);
    else
        *number = value.toLongLong(&ok);
    return ok && *number >= low && *number <= high;
}

// A 32-bit payload. Texts convert with convert (toInt or toUInt); numbers
// must lie within [low, high] and keep their bits, so -1 stores 0xFFFFFFFF.
template<typename T>
bool parse32(const QVariant &value, T (QString::*convert)(bool *, int) const, qint64 low, qint64 high,
             QByteArray *out)
{
    qint64 number = 0;
    if (isTextVariant(value)) {
        T n = 0;
        if (!textNumber(value.toString(), convert, &n))
            return false;
        number = n;
    } else if (!integerIn(value, low, high, &number)) {
        return false;
    }
    appendPayloadLE(out, uint64_t(number), 4);
    return true;
}

bool parseInt64(const QVariant &value, QByteArray *out)
{
    qint64 number = 0;
    if (!integerIn(value, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), &number))
        return false;
    appendPayloadLE(out, uint64_t(number), 8);
    return true;
}

bool parseUInt64(const QVariant &value, QByteArray *out)
{
    bool ok = false;
    qulonglong number = 0;
    if (isTextVariant(value))
        ok = textNumber(value.toString(), &QString::toULongLong, &number);
    else
        number = value.toULongLong(&ok);
    if (!ok)
        return false;
    appendPayloadLE(out, number, 8);
    return true;
}

// The two hexadecimal digits at pos as one byte; false if they are not.
bool appendHexPair(const QString &text, qsizetype pos, QByteArray *bytes)
{
    const int high = digitValue(text.at(pos), 16);
    const int low = digitValue(text.at(pos + 1), 16);
    if (high < 0 || low < 0)
        return false;
    bytes->append(char(high << 4 | low));
    return true;
}

qsizetype skipSpaces(const QString &text, qsizetype pos)
{
    while (pos < text.size() && text.at(pos).isSpace())
        ++pos;
    return pos;
}

// Pairs of hexadecimal digits, with or without blanks between the pairs; a
// single character left at the end is ignored.
bool parseBinary(const QString &text, QByteArray *out)
{
    QByteArray bytes;
    for (qsizetype pos = skipSpaces(text, 0); text.size() - pos >= 2; pos = skipSpaces(text, pos + 2)) {
        if (!appendHexPair(text, pos, &bytes))
            return false;
    }
    *out = bytes;
    return true;
}

// Groups of eight 0/1 characters, bit 0 first; fewer left at the end are ignored.
bool parseBits(const QString &text, QByteArray *out)
{
    QByteArray bytes;
    for (qsizetype pos = skipSpaces(text, 0); text.size() - pos >= 8; pos = skipSpaces(text, pos + 8)) {
        uint8_t byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const QChar c = text.at(pos + bit);
            if (c != QLatin1Char('0') && c != QLatin1Char('1'))
                return false;
            if (c == QLatin1Char('1'))
                byte |= uint8_t(1u << bit);
        }
        bytes.append(char(byte));
    }
    *out = bytes;
    return true;
}

// Six two-digit hexadecimal groups separated by five ":" or five "-".
bool parseMac(const QString &text, QByteArray *out)
{
    if (text.isEmpty()) {
        *out = QByteArray(6, '\0');
        return true;
    }
    if (text.size() != 17)
        return false;
    const QChar separator = text.at(2);
    if (separator != QLatin1Char(':') && separator != QLatin1Char('-'))
        return false;
    QByteArray bytes;
    for (int group = 0; group < 6; ++group) {
        const qsizetype pos = group * 3;
        if ((group > 0 && text.at(pos - 1) != separator) || !appendHexPair(text, pos, &bytes))
            return false;
    }
    *out = bytes;
    return true;
}

bool parseAddress(const QString &text, QAbstractSocket::NetworkLayerProtocol protocol, QByteArray *out)
{
    const int size = protocol == QAbstractSocket::IPv4Protocol ? 4 : 16;
    if (text.isEmpty()) {
        *out = QByteArray(size, '\0');
        return true;
    }
    QHostAddress address;
    if (!address.setAddress(text) || address.protocol() != protocol)
        return false;
    if (protocol == QAbstractSocket::IPv4Protocol) {
        const quint32 ip = address.toIPv4Address();
        out->clear();
        for (int shift = 24; shift >= 0; shift -= 8)
            out->append(char(ip >> shift));
    } else {
        const Q_IPV6ADDR ip = address.toIPv6Address();
        *out = QByteArray(reinterpret_cast<const char *>(ip.c), 16);
    }
    return true;
}

// The decimal digits of a part; a leading "-" keeps the number negative so
// that a shown negative coordinate reads back as it was.
bool digitsNumber(const QString &part, int32_t *number)
{
    QString digits;
    for (QChar c : part) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    }
    if (digits.isEmpty())
        return false;
    const QString trimmed = part.trimmed();
    if (trimmed.startsWith(QLatin1Char('-')))
        digits.prepend(QLatin1Char('-'));
    bool ok = false;
    *number = digits.toInt(&ok);
    return ok;
}

bool fitsInt16(int32_t number)
{
    return number >= std::numeric_limits<int16_t>::min() && number <= std::numeric_limits<int16_t>::max();
}

// Numbers as 16-bit fields when all fit, else as 32-bit fields.
void appendFields(QByteArray *out, const int32_t *fields, int count)
{
    const bool narrow = std::all_of(fields, fields + count, fitsInt16);
    for (int i = 0; i < count; ++i)
        appendPayloadLE(out, uint32_t(fields[i]), narrow ? 2 : 4);
}

// Point "x,y" or size "WxH": exactly two parts.
bool parsePair(const QString &text, QChar separator, QByteArray *out)
{
    const QStringList parts = text.split(separator, Qt::KeepEmptyParts, Qt::CaseInsensitive);
    int32_t fields[2];
    if (parts.size() != 2 || !digitsNumber(parts[0], &fields[0]) || !digitsNumber(parts[1], &fields[1]))
        return false;
    QByteArray bytes;
    appendFields(&bytes, fields, 2);
    *out = bytes;
    return true;
}

// The first offset separator at or after from: "+", or the "-" of a
// negative offset. A "-" at from is the sign of the number that starts there,
// not a separator; a "+" there is a separator, leaving that number empty.
qsizetype offsetSeparator(const QString &text, qsizetype from)
{
    if (from < text.size() && text.at(from) == QLatin1Char('-'))
        ++from;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))
            return i;
    }
    return -1;
}

bool rectField(const QString &text, int32_t *field)
{
    bool ok = false;
    *field = text.toInt(&ok, 10);
    return ok;
}

// "WxH+X+Y"; an offset may also be written "-N" in place of "+N", as the
// display writes negative offsets, or "+-N".
bool parseRect(const QString &input, QByteArray *out)
{
    const QString text = input.toLower();
    const qsizetype x = text.indexOf(QLatin1Char('x'));
    if (x <= 0)
        return false;
    const QString rest = text.mid(x + 1);
    const qsizetype first = offsetSeparator(rest, 0);
    if (first < 0)
        return false;
    // After a "+" the x offset may bring its own "-"; a "-" separator is its sign already.
    const qsizetype second = offsetSeparator(rest, first + 1);
    if (second < 0)
        return false;
    auto offset = [](QString part) {
        return part.startsWith(QLatin1Char('+')) ? part.mid(1) : part;
    };
    int32_t xywh[4];
    if (!rectField(text.left(x), &xywh[2]) || !rectField(rest.left(first), &xywh[3])
        || !rectField(offset(rest.mid(first, second - first)), &xywh[0])
        || !rectField(offset(rest.mid(second)), &xywh[1])) {
        return false;
    }
    QByteArray bytes;
    appendFields(&bytes, xywh, 4);
    *out = bytes;
    return true;
}

bool daysSinceEpoch(const QDate &date, QByteArray *out)
{
    const qint64 days = payloadEpoch().daysTo(date);
    if (!date.isValid() || days < 0 || days > qint64(std::numeric_limits<uint32_t>::max()))
        return false;
    appendPayloadLE(out, uint64_t(days), 4);
    return true;
}

void appendSecondsOfDay(QByteArray *out, const QTime &time)
{
    appendPayloadLE(out, uint32_t(time.msecsSinceStartOfDay() / 1000), 4);
}

bool parseDateTime(const QVariant &value, QByteArray *out)
{
    QDateTime dateTime = value.toDateTime();
    if (!dateTime.isValid())
        return false;
    if (dateTime.timeSpec() != Qt::LocalTime)
        dateTime = dateTime.toLocalTime();
    QByteArray bytes;
    if (!daysSinceEpoch(dateTime.date(), &bytes))
        return false;
    appendSecondsOfDay(&bytes, dateTime.time());
    *out = bytes;
    return true;
}

} // namespace

bool parsePayload(uint32_t key, const QVariant &value, QByteArray *out)
{
    QByteArray bytes;
    bool ok = false;
    switch (valueTypeOf(key)) {
    case ValueType::Binary:
        ok = parseBinary(value.toString(), &bytes);
        break;
    case ValueType::Int:
    case ValueType::Enum:
        ok = parse32(value, &QString::toInt, std::numeric_limits<int32_t>::min(),
                     std::numeric_limits<int32_t>::max(), &bytes);
        break;
    case ValueType::Bool:
        bytes.append(char(value.toBool() ? 1 : 0));
        ok = true;
        break;
    case ValueType::String:
        bytes = value.toString().toUtf8();
        ok = true;
        break;
    case ValueType::Date:
        ok = daysSinceEpoch(value.toDate(), &bytes);
        break;
    case ValueType::Time: {
        const QTime time = value.toTime();
        ok = time.isValid();
        if (ok)
            appendSecondsOfDay(&bytes, time);
        break;
    }
    case ValueType::DateTime:
        ok = parseDateTime(value, &bytes);
        break;
    case ValueType::BitArray:
        ok = parseBits(value.toString(), &bytes);
        break;
    case ValueType::Int64:
        ok = parseInt64(value, &bytes);
        break;
    case ValueType::UInt:
        ok = parse32(value, &QString::toUInt, std::numeric_limits<int32_t>::min(),
                     std::numeric_limits<uint32_t>::max(), &bytes);
        break;
    case ValueType::IPv4:
        ok = parseAddress(value.toString(), QAbstractSocket::IPv4Protocol, &bytes);
        break;
    case ValueType::MAC:
        ok = parseMac(value.toString(), &bytes);
        break;
    case ValueType::IPv6:
        ok = parseAddress(value.toString(), QAbstractSocket::IPv6Protocol, &bytes);
        break;
    case ValueType::UInt64:
        ok = parseUInt64(value, &bytes);
        break;
    case ValueType::Password: {
        const std::optional<QByteArray> hash = hashPassword(value.toString());
        ok = hash.has_value();
        if (ok)
            bytes = *hash;
        break;
    }
    case ValueType::Point:
        ok = parsePair(value.toString(), QLatin1Char(','), &bytes);
        break;
    case ValueType::Size:
        ok = parsePair(value.toString(), QLatin1Char('x'), &bytes);
        break;
    case ValueType::Rect:
        ok = parseRect(value.toString(), &bytes);
        break;
    default:
        break;
    }
    if (ok)
        *out = bytes;
    return ok;
}
