#include "registryprinter.h"

#include "store.h"
#include "tagmap.h"
#include "valuecodec.h"
#include "valuetypes.h"

#include <QCoreApplication>
#include <QJsonArray>

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

RecordTexts recordTexts(zn::RegistryHandle *section, uint32_t key, const TagMap &tagMap)
{
    const TagMapEntry *entry = tagMap.find(key);
    RecordTexts texts;
    texts.key = hexKeyText(key);
    texts.type = TagMap::typeName(key);
    texts.name = entry && !entry->name.isEmpty() ? entry->name : texts.key;
    texts.description = entry ? entry->description : QString();
    if (!zn::reg_is_section_key(key))
        texts.value = formatValue(section, key, false, entry && entry->hex, &tagMap).toString();
    return texts;
}

QJsonArray childrenToJson(zn::RegistryHandle *section, const TagMap &tagMap)
{
    QJsonArray children;
    const int count = section ? zn::reg_count(section) : 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t key = zn::reg_key_at(section, i);
        const RecordTexts texts = recordTexts(section, key, tagMap);
        QJsonObject object{{"key", texts.key},
                           {"type", texts.type},
                           {"name", texts.name},
                           {"description", texts.description}};
        if (zn::reg_is_section_key(key))
            object.insert("children", childrenToJson(zn::reg_open_section(section, key), tagMap));
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
    const int count = section ? zn::reg_count(section) : 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t key = zn::reg_key_at(section, i);
        const bool isSection = zn::reg_is_section_key(key);
        appendLine(text, depth, recordTexts(section, key, tagMap), isSection);
        if (isSection)
            childrenToText(text, zn::reg_open_section(section, key), depth + 1, tagMap);
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
