// Reads arbitrary bytes as a tag map file. Error lines are ascending and
// within the file; every entry and named value carries its own key; and the
// entries written back as CSV read again to the same entries.
#include "fuzzcheck.h"
#include "tagmapreader.h"

#include <QBuffer>

#include <cstdint>

namespace {

constexpr qsizetype kPieceLimit = 16383;

TagMapFileContents readBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readTagMap(&buffer);
}

// Lines as the reader counts them: pieces of at most 16383 bytes up to "\n".
int pieceCount(const QByteArray &bytes)
{
    int count = 0;
    for (qsizetype pos = 0; pos < bytes.size(); ++count) {
        const qsizetype newline = bytes.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? bytes.size() : newline + 1;
        pos = std::min(end, pos + kPieceLimit);
    }
    return count;
}

QByteArray quoted(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

QByteArray line(const QByteArray &keyText, const TagMapValue &value)
{
    return quoted(QString::fromLatin1(keyText)) + ',' + quoted(value.name) + ',' + quoted(value.description)
        + ',' + quoted(value.help) + ',' + quoted(value.icon) + ',' + (value.hex ? "x" : "") + '\n';
}

QByteArray hexText(uint32_t number)
{
    return "0x" + QByteArray::number(number, 16);
}

// Whether the texts fit the field limits once encoded again (an invalid
// UTF-8 byte comes back as three bytes).
bool fitsLimits(const TagMapValue &value)
{
    return value.name.toUtf8().size() <= 1022 && value.description.toUtf8().size() <= 4094
        && value.help.toUtf8().size() <= 16382 && value.icon.toUtf8().size() <= 254;
}

bool sameTexts(const TagMapValue &a, const TagMapValue &b)
{
    return a.key == b.key && a.name == b.name && a.description == b.description && a.help == b.help
        && a.icon == b.icon && a.hex == b.hex;
}

// Appends the line for value; false when it would not be read back whole.
bool appendLine(QByteArray *csv, const QByteArray &keyText, const TagMapValue &value)
{
    const QByteArray text = line(keyText, value);
    if (!fitsLimits(value) || text.size() > kPieceLimit)
        return false;
    *csv += text;
    return true;
}

void checkRoundTrip(const TagMapEntries &entries)
{
    QByteArray csv;
    for (const TagMapEntry &entry : entries) {
        if (!appendLine(&csv, hexText(entry.key), entry))
            return;
        for (const TagMapValue &value : entry.values) {
            if (!appendLine(&csv, hexText(entry.key) + ':' + QByteArray::number(value.key), value))
                return;
        }
    }
    const TagMapFileContents again = readBytes(csv);
    FUZZ_CHECK(again.errorLines.isEmpty());
    FUZZ_CHECK(again.entries.size() == entries.size());
    for (const TagMapEntry &entry : entries) {
        const auto it = again.entries.constFind(entry.key);
        FUZZ_CHECK(it != again.entries.cend() && sameTexts(*it, entry));
        FUZZ_CHECK(it->values.size() == entry.values.size());
        for (const TagMapValue &value : entry.values) {
            const auto vit = it->values.constFind(value.key);
            FUZZ_CHECK(vit != it->values.cend() && sameTexts(*vit, value));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TagMapFileContents contents = readBytes(bytes);

    int previous = 0;
    for (int lineNumber : contents.errorLines) {
        FUZZ_CHECK(lineNumber > previous);
        previous = lineNumber;
    }
    FUZZ_CHECK(previous <= pieceCount(bytes));

    for (auto it = contents.entries.cbegin(); it != contents.entries.cend(); ++it) {
        FUZZ_CHECK(it.key() != 0 && it->key == it.key());
        for (auto vit = it->values.cbegin(); vit != it->values.cend(); ++vit)
            FUZZ_CHECK(vit->key == vit.key());
    }
    checkRoundTrip(contents.entries);
    return 0;
}
