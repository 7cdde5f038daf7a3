#include "registryworkingcopy.h"

#include "configfileio.h"
#include "registrymodel.h"
#include "store.h"

#include <algorithm>
#include <cstring>

RegistryWorkingCopy::RegistryWorkingCopy(size_t registryCapacity) : m_buffer(registryCapacity, 0) {}

RegistryWorkingCopy::~RegistryWorkingCopy()
{
    if (m_model)
        m_model->setRegistry(nullptr);
    zn::reg_close(m_root);
}

void RegistryWorkingCopy::setModel(RegistryModel *model)
{
    if (m_model && m_model != model)
        m_model->setRegistry(nullptr);
    m_model = model;
    if (m_model)
        m_model->setRegistry(m_root);
}

void RegistryWorkingCopy::open(QByteArrayView blob)
{
    // The model must let go of the old store before it closes.
    if (m_model)
        m_model->setRegistry(nullptr);
    zn::reg_close(m_root);
    // Nothing of an earlier registry stays behind the new one.
    std::fill(m_buffer.begin(), m_buffer.end(), 0);
    std::memcpy(m_buffer.data(), blob.data(), qMin(size_t(blob.size()), m_buffer.size()));
    m_root = zn::reg_open(m_buffer.data(), m_buffer.size());
    if (m_model)
        m_model->setRegistry(m_root);
}

void RegistryWorkingCopy::load(QByteArrayView downloaded)
{
    m_downloaded = downloaded.toByteArray();
    open(downloaded);
}

bool RegistryWorkingCopy::importFile(const QString &path, QString *error)
{
    QByteArray imported;
    if (!readConfigFile(path, m_buffer.size(), &imported, error))
        return false;
    open(imported);
    zn::reg_set_dirty(m_root);
    return true;
}

bool RegistryWorkingCopy::exportFile(const QString &path, QString *error) const
{
    return writeConfigFile(path, blob(), error);
}

QByteArray RegistryWorkingCopy::blob() const
{
    return m_root ? QByteArray(reinterpret_cast<const char *>(m_buffer.data()), qsizetype(zn::reg_used_size(m_root)))
                  : QByteArray();
}

QList<RegistryChange> RegistryWorkingCopy::changes(const TagMap *tagMap) const
{
    return registryChanges(m_downloaded, blob(), tagMap);
}
