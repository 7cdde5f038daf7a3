#include "tagmapreader.h"

#include "digits.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <optional>

namespace {

constexpr qint64 kLineBufferSize = 16384; // a read takes at most 16383 bytes
constexpr int kFieldCount = 6;
// Longest accepted field: key, name, description, help, icon, flags.
constexpr qsizetype kFieldLimits[kFieldCount] = {62, 1022, 4094, 16382, 254, 254};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Walks one line field by field. Every field read leaves the reader on the
// first non-blank character after it.
class FieldReader
{
public:
    explicit FieldReader(QByteArrayView line) : m_line(line) { skipBlanks(); }

    bool atEnd() const { return m_pos >= m_line.size(); }
    char peek() const { return atEnd() ? '\0' : m_line[m_pos]; }

    bool takeComma()
    {
        if (peek() != ',')
            return false;
        ++m_pos;
        return true;
    }

    // False when the field is longer than limit bytes or a quote is not closed.
    bool read(qsizetype limit, QByteArray *field)
    {
        field->clear();
        skipBlanks();
        const char quote = peek();
        if (quote == '"' || quote == '\'') {
            if (!readQuoted(quote, limit, field))
                return false;
        } else {
            while (!atEnd() && peek() != ',' && !isBlank(peek())) {
                if (field->size() == limit)
                    return false;
                field->append(m_line[m_pos++]);
            }
        }
        skipBlanks();
        return true;
    }

private:
    bool readQuoted(char quote, qsizetype limit, QByteArray *field)
    {
        ++m_pos;
        for (;;) {
            if (atEnd())
                return false;
            const char c = m_line[m_pos++];
            if (c == quote) {
                if (peek() != quote)
                    return true;
                ++m_pos; // a doubled quote stands for one
            }
            if (field->size() == limit)
                return false;
            field->append(c);
        }
    }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(m_line[m_pos]))
            ++m_pos;
    }

    QByteArrayView m_line;
    qsizetype m_pos = 0;
};

// An unsigned 32-bit number: hexadecimal after "0x" or "0X", else decimal.
// The whole text must be a number; "0x" alone is 0.
std::optional<uint32_t> parseNumber(QByteArrayView text)
{
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text = text.sliced(2);
        if (text.isEmpty())
            return 0;
    }
    if (text.isEmpty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int d = digitValue(char16_t(uchar(c)), base);
        if (d < 0)
            return std::nullopt;
        value = value * uint64_t(base) + uint64_t(d);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return uint32_t(value);
}

void fillTexts(TagMapValue *target, uint32_t key, const QByteArray (&fields)[kFieldCount], bool hex)
{
    target->key = key;
    target->name = QString::fromUtf8(fields[1]);
    target->description = QString::fromUtf8(fields[2]);
    target->help = QString::fromUtf8(fields[3]);
    target->icon = QString::fromUtf8(fields[4]);
    target->hex = hex;
}

// Applies one line to entries; false when the line breaks the rules.
bool readLine(QByteArrayView line, TagMapEntries *entries)
{
    FieldReader reader(line);
    if (reader.atEnd() || reader.peek() == '#')
        return true;

    QByteArray fields[kFieldCount];
    if (!reader.read(kFieldLimits[0], &fields[0]) || !reader.takeComma())
        return false;
    if (!reader.read(kFieldLimits[1], &fields[1]) || !reader.takeComma())
        return false;
    if (!reader.read(kFieldLimits[2], &fields[2]))
        return false;
    // Optional fields: one that fails counts as empty and ends the line.
    for (int i = 3; i < kFieldCount && reader.takeComma(); ++i) {
        if (!reader.read(kFieldLimits[i], &fields[i])) {
            fields[i].clear();
            break;
        }
    }

    if (fields[0].isEmpty() && fields[1].isEmpty() && fields[2].isEmpty())
        return fields[3].isEmpty() && fields[4].isEmpty(); // a separator line

    QByteArrayView keyText = fields[0];
    std::optional<uint32_t> value;
    bool hex = fields[5].contains('x');
    const qsizetype colon = keyText.indexOf(':');
    if (colon >= 0) {
        const QByteArrayView valueText = keyText.sliced(colon + 1);
        value = parseNumber(valueText);
        if (!value)
            return false;
        if (valueText.size() > 2 && valueText.startsWith("0x"))
            hex = true;
        keyText = keyText.first(colon);
    }
    const std::optional<uint32_t> key = parseNumber(keyText);
    if (!key || *key == 0)
        return false;

    TagMapEntry &entry = (*entries)[*key];
    if (value) {
        entry.key = *key;
        fillTexts(&entry.values[*value], *value, fields, hex);
    } else {
        fillTexts(&entry, *key, fields, hex);
    }
    return true;
}

} // namespace

TagMapFileContents readTagMap(QIODevice *device)
{
    TagMapFileContents contents;
    QByteArray buffer(kLineBufferSize, '\0');
    int lineNumber = 0;
    for (;;) {
        const qint64 got = device->readLine(buffer.data(), kLineBufferSize);
        if (got <= 0)
            break;
        ++lineNumber;
        QByteArrayView line(buffer.constData(), got);
        // The line is a C string to the field reader: it ends at a NUL byte.
        const qsizetype nul = line.indexOf('\0');
        if (nul >= 0)
            line = line.first(nul);
        if (lineNumber == 1 && line.startsWith("\xEF\xBB\xBF"))
            line = line.sliced(3);
        if (!readLine(line, &contents.entries))
            contents.errorLines.append(lineNumber);
    }
    return contents;
}
