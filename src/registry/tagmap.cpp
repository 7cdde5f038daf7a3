#include "tagmap.h"

#include "tagmapreader.h"
#include "valuetypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// The fallback of keys without an icon: shows nothing.
constexpr QLatin1String kEmptyIcon(":/icons/i16_empty.png");
}

void TagMap::loadDefaults()
{
    m_entries.clear();
    m_errors.clear();
    m_iconCache.clear();

    QStringList dirs{QStringLiteral(":/maps")};
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    for (auto it = libraryPaths.crbegin(); it != libraryPaths.crend(); ++it)
        dirs << *it + QStringLiteral("/maps");
    dirs << QCoreApplication::applicationDirPath() + QStringLiteral("/maps");

    // The application directory is usually a library path too; reading a
    // directory twice could add no key, only its error messages again.
    QStringList loaded;
    for (const QString &dir : std::as_const(dirs)) {
        const QString canonical = QFileInfo(dir).canonicalFilePath();
        const QString id = canonical.isEmpty() ? dir : canonical;
        if (loaded.contains(id))
            continue;
        loaded << id;
        loadDirectory(dir);
    }
}

void TagMap::loadDirectory(const QString &path)
{
    const QFileInfoList files =
        QDir(path).entryInfoList(QDir::Files | QDir::Readable | QDir::Hidden, QDir::Unsorted);
    for (const QFileInfo &file : files) {
        if (file.filePath().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            loadFile(file.filePath());
    }
}

void TagMap::loadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errors << tr("Cannot open tag map %1: %2").arg(path, file.errorString());
        return;
    }
    const TagMapFileContents contents = readTagMap(&file);
    for (int line : contents.errorLines)
        addLineError(path, line);
    for (auto it = contents.entries.cbegin(); it != contents.entries.cend(); ++it) {
        if (!m_entries.contains(it.key()))
            m_entries.insert(it.key(), it.value());
    }
    m_iconCache.clear();
}

void TagMap::addLineError(const QString &path, int line)
{
    if (m_errors.size() >= MaxLineErrors)
        return;
    m_errors << tr("%1: Error in line %2.").arg(path, QString::number(line));
    if (m_errors.size() == MaxLineErrors)
        m_errors << tr("Further error reporting suppressed.");
}

const TagMapEntry *TagMap::find(uint32_t key) const
{
    const auto it = m_entries.constFind(key);
    return it == m_entries.cend() ? nullptr : &it.value();
}

QString TagMap::valueName(uint32_t key, uint32_t value) const
{
    const TagMapEntry *entry = find(key);
    if (!entry)
        return QString();
    const auto it = entry->values.constFind(value);
    return it == entry->values.cend() ? QString() : it->name;
}

QString TagMap::valueText(const TagMapValue &value)
{
    if (value.hex)
        return QStringLiteral("0x") + QString::number(value.key, 16).toUpper();
    return QString::number(value.key);
}

QString TagMap::typeName(uint32_t key)
{
    return valueTypeName(key);
}

QString TagMap::resolveIcon(const QString &name)
{
    for (const char *suffix : {".png", ".xpm"}) {
        const QString file = name + QLatin1String(suffix);
        for (const char *prefix : {"", "icons/", ":/icons/"}) {
            const QString candidate = QLatin1String(prefix) + file;
            if (QFile::exists(candidate))
                return candidate;
        }
    }
    return QString();
}

QString TagMap::iconPathFor(uint32_t key) const
{
    const TagMapEntry *entry = find(key);
    const QString name = entry && !entry->icon.isEmpty() ? entry->icon : valueTypeIconName(key);
    const QString path = name.isEmpty() ? QString() : resolveIcon(name);
    return path.isEmpty() ? QString(kEmptyIcon) : path;
}

QIcon TagMap::iconFor(uint32_t key) const
{
    auto it = m_iconCache.find(key);
    if (it == m_iconCache.end())
        it = m_iconCache.insert(key, QIcon(iconPathFor(key)));
    return it.value();
}
