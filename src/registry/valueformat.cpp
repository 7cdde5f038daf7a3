// Payload bytes to text (formatPayload).
#include "valuecodec.h"

#include "payloadbytes.h"
#include "tagmap.h"
#include "valuetypes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHostAddress>
#include <QLocale>
#include <QStringDecoder>

#include <limits>

namespace {

constexpr qsizetype kBinaryDisplayBytes = 64;
constexpr qsizetype kBitsDisplayBytes = 8;
constexpr qsizetype kEditableBytes = 1024;

// QString::fromUtf8 drops a leading byte order mark, so an edit would write
// the value back without it.
QString utf8Text(QByteArrayView payload)
{
    QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decode(payload);
}

QString notSet()
{
    return QCoreApplication::translate("RegistryModel", "Not set");
}

// Each byte as two hexadecimal digits, at most limit bytes, then " ...".
QString hexText(QByteArrayView payload, qsizetype limit)
{
    const qsizetype shown = std::min(payload.size(), limit);
    QString text = QString::fromLatin1(payload.first(shown).toByteArray().toHex(' ').toUpper());
    if (shown < payload.size())
        text += QLatin1String(" ...");
    return text;
}

// Each byte as eight 0/1 characters, bit 0 first.
QString bitText(QByteArrayView payload, qsizetype limit)
{
    const qsizetype shown = std::min(payload.size(), limit);
    QString text;
    for (qsizetype i = 0; i < shown; ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        for (int bit = 0; bit < 8; ++bit)
            text += QLatin1Char((uint8_t(payload[i]) >> bit) & 1 ? '1' : '0');
    }
    if (shown < payload.size())
        text += QLatin1String(" ...");
    return text;
}

// "0x" and the upper-case digits, zero-padded to digits.
QString hexNumber(uint64_t number, int digits)
{
    return QLatin1String("0x") + QString::number(number, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

// Raw bytes up to 1024 are editable as text; more are not.
QVariant bytesValue(QByteArrayView payload, bool editMode, QString (*format)(QByteArrayView, qsizetype),
                    qsizetype displayLimit)
{
    if (!editMode)
        return format(payload, displayLimit);
    if (payload.size() > kEditableBytes)
        return QVariant();
    return format(payload, payload.size());
}

// What a payload of the wrong shape shows: binary text, nothing to edit.
QVariant fallback(QByteArrayView payload, bool editMode)
{
    return editMode ? QVariant() : QVariant(hexText(payload, kBinaryDisplayBytes));
}

// The tag map's name of a number, if the number has one. Values are named by
// 32-bit numbers, so wider numbers have no names.
QString numberName(const TagMap *tagMap, uint32_t key, int64_t number)
{
    if (!tagMap || number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<uint32_t>::max())
        return QString();
    return tagMap->valueName(key, uint32_t(number));
}

QVariant intValue(uint32_t key, int32_t number, bool editMode, const TagMap *tagMap)
{
    if (editMode)
        return number;
    const QString name = numberName(tagMap, key, number);
    return name.isEmpty() ? QString::number(number) : name;
}

QVariant enumValue(uint32_t key, QByteArrayView payload, bool editMode, const TagMap *tagMap)
{
    const int32_t number = int32_t(uint32_t(readPayloadLE(payload)));
    const TagMapEntry *entry = tagMap ? tagMap->find(key) : nullptr;
    if (editMode || !entry)
        return intValue(key, number, editMode, tagMap);
    if (payload.size() != 4)
        return fallback(payload, false);
    const auto named = entry->values.constFind(uint32_t(number));
    if (named == entry->values.cend())
        return QString::number(number);
    return TagMap::valueText(*named) + QLatin1String(" - ") + named->name;
}

QVariant uintValue(uint32_t key, uint32_t number, bool editMode, bool hex, const TagMap *tagMap)
{
    if (!editMode) {
        const QString name = numberName(tagMap, key, number);
        if (!name.isEmpty())
            return name;
    }
    if (hex)
        return hexNumber(number, 8);
    if (editMode)
        return int32_t(number);
    return QString::number(int32_t(number));
}

QVariant uint64Value(uint32_t key, uint64_t number, bool editMode, bool hex, const TagMap *tagMap)
{
    if (!editMode && number <= std::numeric_limits<uint32_t>::max()) {
        const QString name = numberName(tagMap, key, int64_t(number));
        if (!name.isEmpty())
            return name;
    }
    if (hex)
        return hexNumber(number, 16);
    if (editMode)
        return qulonglong(number);
    return QString::number(number);
}

QVariant dateValue(QByteArrayView payload, bool editMode)
{
    const QDate date = payloadEpoch().addDays(qint64(uint32_t(readPayloadLE(payload))));
    if (!date.isValid())
        return fallback(payload, editMode);
    return editMode ? QVariant(date) : QVariant(QLocale().toString(date, QLocale::ShortFormat));
}

QTime timeOfSeconds(uint32_t seconds)
{
    return QTime(0, 0).addSecs(int(seconds % 86400));
}

QVariant timeValue(QByteArrayView payload, bool editMode)
{
    const QTime time = timeOfSeconds(uint32_t(readPayloadLE(payload)));
    return editMode ? QVariant(time) : QVariant(QLocale().toString(time, QLocale::ShortFormat));
}

QVariant dateTimeValue(QByteArrayView payload, bool editMode)
{
    if (payload.size() != 8)
        return fallback(payload, editMode);
    const QDate date = payloadEpoch().addDays(qint64(readPayloadLE(payload, 0, 4)));
    const QDateTime dateTime(date, timeOfSeconds(uint32_t(readPayloadLE(payload, 4, 4))));
    if (!dateTime.isValid())
        return fallback(payload, editMode);
    return editMode ? QVariant(dateTime) : QVariant(QLocale().toString(dateTime, QLocale::ShortFormat));
}

bool allZero(QByteArrayView payload)
{
    return std::all_of(payload.begin(), payload.end(), [](char c) { return c == 0; });
}

QVariant ipv4Value(QByteArrayView payload, bool editMode)
{
    if (payload.size() != 4)
        return fallback(payload, editMode);
    if (!editMode && allZero(payload))
        return notSet();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(uint8_t(payload[0]))
        .arg(uint8_t(payload[1]))
        .arg(uint8_t(payload[2]))
        .arg(uint8_t(payload[3]));
}

QVariant macValue(QByteArrayView payload, bool editMode)
{
    if (payload.size() != 6)
        return fallback(payload, editMode);
    if (!editMode && allZero(payload))
        return notSet();
    return QString::fromLatin1(payload.toByteArray().toHex(':').toUpper());
}

QVariant ipv6Value(QByteArrayView payload, bool editMode)
{
    if (payload.size() != 16)
        return fallback(payload, editMode);
    return QHostAddress(reinterpret_cast<const quint8 *>(payload.data())).toString();
}

// Two (point, size) or four (rectangle) numbers: signed 16-bit in the short
// form, signed 32-bit in the long one. Any other length gives false.
bool readFields(QByteArrayView payload, int count, int32_t *fields)
{
    int width = 0;
    if (payload.size() == count * 2)
        width = 2;
    else if (payload.size() == count * 4)
        width = 4;
    for (int i = 0; i < count; ++i) {
        const uint64_t raw = width ? readPayloadLE(payload, i * width, width) : 0;
        fields[i] = width == 2 ? int16_t(uint16_t(raw)) : int32_t(uint32_t(raw));
    }
    return width != 0;
}

QString sizeText(int32_t width, int32_t height)
{
    return QStringLiteral("%1x%2").arg(width).arg(height);
}

QString offsetText(int32_t offset)
{
    return offset < 0 ? QString::number(offset) : QLatin1Char('+') + QString::number(offset);
}

QVariant pointValue(QByteArrayView payload)
{
    int32_t xy[2];
    readFields(payload, 2, xy);
    return QStringLiteral("%1,%2").arg(xy[0]).arg(xy[1]);
}

QVariant sizeValue(QByteArrayView payload, bool editMode)
{
    int32_t wh[2];
    readFields(payload, 2, wh);
    if (!editMode && (wh[0] <= 0 || wh[1] <= 0))
        return notSet();
    return sizeText(wh[0], wh[1]);
}

QVariant rectValue(QByteArrayView payload, bool editMode)
{
    int32_t xywh[4];
    const bool read = readFields(payload, 4, xywh);
    if (!editMode && (!read || xywh[2] <= 0 || xywh[3] <= 0))
        return notSet();
    return sizeText(xywh[2], xywh[3]) + offsetText(xywh[0]) + offsetText(xywh[1]);
}

} // namespace

QVariant formatPayload(uint32_t key, QByteArrayView payload, bool editMode, bool hex, const TagMap *tagMap)
{
    const uint64_t number = readPayloadLE(payload);
    switch (valueTypeOf(key)) {
    case ValueType::Binary:
        return bytesValue(payload, editMode, hexText, kBinaryDisplayBytes);
    case ValueType::Int:
        return intValue(key, int32_t(uint32_t(number)), editMode, tagMap);
    case ValueType::Bool: {
        const bool set = !allZero(payload);
        if (editMode)
            return set;
        return QString::fromLatin1(set ? "True" : "False");
    }
    case ValueType::String:
        return utf8Text(payload);
    case ValueType::Date:
        return dateValue(payload, editMode);
    case ValueType::Time:
        return timeValue(payload, editMode);
    case ValueType::DateTime:
        return dateTimeValue(payload, editMode);
    case ValueType::BitArray:
        return bytesValue(payload, editMode, bitText, kBitsDisplayBytes);
    case ValueType::Int64: {
        const int64_t signedNumber = int64_t(number);
        const QString name = editMode ? QString() : numberName(tagMap, key, signedNumber);
        if (!name.isEmpty())
            return name;
        return editMode ? QVariant(qlonglong(signedNumber)) : QVariant(QString::number(signedNumber));
    }
    case ValueType::Enum:
        return enumValue(key, payload, editMode, tagMap);
    case ValueType::UInt:
        return uintValue(key, uint32_t(number), editMode, hex, tagMap);
    case ValueType::IPv4:
        return ipv4Value(payload, editMode);
    case ValueType::MAC:
        return macValue(payload, editMode);
    case ValueType::IPv6:
        return ipv6Value(payload, editMode);
    case ValueType::UInt64:
        return uint64Value(key, number, editMode, hex, tagMap);
    case ValueType::Password:
        return payload.isEmpty() ? QCoreApplication::translate("RegistryModel", "Empty")
                                 : QCoreApplication::translate("RegistryModel", "Set");
    case ValueType::Point:
        return pointValue(payload);
    case ValueType::Rect:
        return rectValue(payload, editMode);
    case ValueType::Size:
        return sizeValue(payload, editMode);
    default:
        return fallback(payload, editMode);
    }
}
