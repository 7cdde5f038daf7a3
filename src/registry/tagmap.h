// Names, descriptions, help texts, icons, the hexadecimal preference and
// value names per registry key, loaded from CSV files. Files loaded earlier
// win: a key that is already known is never redefined by a later file.
#pragma once

#include "tagmapentry.h"

#include <QCoreApplication>
#include <QHash>
#include <QIcon>
#include <QStringList>

class TagMap
{
    Q_DECLARE_TR_FUNCTIONS(TagMap)

public:
    static constexpr int MaxLineErrors = 20;

    // Clears everything, then loads ":/maps", each library path from the last
    // to the first with "/maps" appended, and the application's "maps".
    void loadDefaults();
    // Every readable file directly inside path whose name ends with ".csv"
    // in any case, in directory order.
    void loadDirectory(const QString &path);
    // Parses one file and adds the keys that are not yet known.
    void loadFile(const QString &path);

    const TagMapEntry *find(uint32_t key) const;
    const TagMapEntries &entries() const { return m_entries; }
    // The name of a named value; empty when the key or the value has none.
    QString valueName(uint32_t key, uint32_t value) const;
    // The number of a named value: "0x" and hexadecimal digits with its hex
    // flag, otherwise decimal.
    static QString valueText(const TagMapValue &value);
    static QString typeName(uint32_t key);

    // The file an icon name resolves to: name + ".png", then + ".xpm", each
    // tried as is, under "icons/" and under ":/icons/". Empty if none exists.
    static QString resolveIcon(const QString &name);
    // The icon file of a key: its entry's icon, else its type's icon, else
    // ":/icons/i16_empty.png".
    QString iconPathFor(uint32_t key) const;
    QIcon iconFor(uint32_t key) const;

    const QStringList &errors() const { return m_errors; }

private:
    void addLineError(const QString &path, int line);

    TagMapEntries m_entries;
    QStringList m_errors;
    mutable QHash<uint32_t, QIcon> m_iconCache; // icons are asked for on every paint
};
