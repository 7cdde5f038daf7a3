#include "mac.h"

namespace {

constexpr quint64 AddressMask = (quint64(1) << 48) - 1;
constexpr quint32 VendorMask = 0xFFFFFF;
constexpr int Octets = 6;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

bool isSeparator(QChar c)
{
    return c == u':' || c == u'-';
}

// The groups as one number, each group one octet; false on any text that is
// not one to six groups of one or two hex digits joined by separators.
bool parseGroups(const QString &text, quint64 *value)
{
    quint64 result = 0;
    int groups = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (true) {
        if (i >= n || hexDigit(text[i]) < 0)
            return false; // every group, the first too, starts with a digit
        int octet = hexDigit(text[i++]);
        if (i < n && hexDigit(text[i]) >= 0)
            octet = octet * 16 + hexDigit(text[i++]);
        if (++groups > Octets)
            return false;
        result = (result << 8) | quint64(octet);
        if (i == n)
            break;
        if (!isSeparator(text[i++]))
            return false;
    }
    *value = result;
    return true;
}

} // namespace

Mac::Mac(quint64 value)
    : m_value(value & AddressMask)
{
}

Mac Mac::fromBytes(const uchar *six)
{
    quint64 value = 0;
    for (int i = 0; i < Octets; ++i)
        value = (value << 8) | six[i];
    return Mac(value);
}

QString Mac::toString(QChar separator) const
{
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    QString text(3 * Octets - 1, separator);
    for (int i = 0; i < Octets; ++i) {
        const unsigned octet = unsigned(m_value >> (8 * (Octets - 1 - i))) & 0xFF;
        text[3 * i] = QChar(Digits[octet >> 4]);
        text[3 * i + 1] = QChar(Digits[octet & 0xF]);
    }
    return text;
}

bool Mac::parse(const QString &text, Mac *out, std::optional<quint32> vendorPrefix)
{
    quint64 value = 0;
    if (!parseGroups(text, &value) || value == 0) {
        *out = Mac();
        return false;
    }
    if (vendorPrefix && value <= VendorMask)
        value |= quint64(*vendorPrefix & VendorMask) << 24;
    *out = Mac(value);
    return true;
}
