#include "registryprinter.h"

#include "store.h"
#include "tagmap.h"
#include "valuecodec.h"
#include "valuetypes.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <vector>

namespace {

QString rootName()
{
    return QCoreApplication::translate("RegistryModel", "Root");
}

// What one record shows; the value is empty for sections.
struct RecordTexts
{
    QString key;
    QString type;
    QString name;
    QString description;
    QString value;
};

RecordTexts recordTexts(const zn::RegChild &child, const TagMap &tagMap)
{
    const TagMapEntry *entry = tagMap.find(child.key);
    RecordTexts texts;
    texts.key = hexKeyText(child.key);
    texts.type = TagMap::typeName(child.key);
    texts.name = entry && !entry->name.isEmpty() ? entry->name : texts.key;
    texts.description = entry ? entry->description : QString();
    if (!child.section) {
        const QByteArrayView payload(child.payload, child.length);
        texts.value = formatPayload(child.key, payload, false, entry && entry->hex, &tagMap).toString();
    }
    return texts;
}

// Only the sections that the store hands a handle for are followed, so the
// walk ends on every blob and shows each record once; other sections show
// their raw bytes as a value.
std::vector<zn::RegChild> childrenOf(zn::RegistryHandle *section)
{
    std::vector<zn::RegChild> children;
    if (section)
        zn::reg_children(section, &children);
    return children;
}

QJsonArray childrenToJson(zn::RegistryHandle *section, const TagMap &tagMap)
{
    QJsonArray children;
    for (const zn::RegChild &child : childrenOf(section)) {
        const RecordTexts texts = recordTexts(child, tagMap);
        QJsonObject object{{"key", texts.key},
                           {"type", texts.type},
                           {"name", texts.name},
                           {"description", texts.description}};
        if (child.section)
            object.insert("children", childrenToJson(child.section, tagMap));
        else
            object.insert("value", texts.value);
        children.append(object);
    }
    return children;
}

void appendLine(QString *text, int depth, const RecordTexts &texts, bool section)
{
    QString line = QString(depth * 2, QLatin1Char(' ')) + texts.name + QLatin1String(" (")
        + (texts.type.isEmpty() ? QStringLiteral("Tag") : texts.type) + QLatin1Char(' ') + texts.key
        + QLatin1Char(')');
    if (!section)
        line += QLatin1String(" = ") + texts.value;
    if (!texts.description.isEmpty())
        line += QLatin1String("  -- ") + texts.description;
    *text += line + QLatin1Char('\n');
}

void childrenToText(QString *text, zn::RegistryHandle *section, int depth, const TagMap &tagMap)
{
    for (const zn::RegChild &child : childrenOf(section)) {
        appendLine(text, depth, recordTexts(child, tagMap), child.section != nullptr);
        if (child.section)
            childrenToText(text, child.section, depth + 1, tagMap);
    }
}

RecordTexts rootTexts()
{
    return RecordTexts{hexKeyText(zn::kRegRootKey), valueTypeName(zn::kRegRootKey), rootName(), QString(), QString()};
}

} // namespace

QJsonObject registryToJson(zn::RegistryHandle *root, const TagMap &tagMap)
{
    const RecordTexts texts = rootTexts();
    return QJsonObject{{"key", texts.key},
                       {"type", texts.type},
                       {"name", texts.name},
                       {"description", texts.description},
                       {"children", childrenToJson(root, tagMap)}};
}

QString registryToText(zn::RegistryHandle *root, const TagMap &tagMap)
{
    QString text;
    appendLine(&text, 0, rootTexts(), true);
    childrenToText(&text, root, 1, tagMap);
    return text;
}
