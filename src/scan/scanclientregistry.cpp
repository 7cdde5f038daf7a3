#include "scanclientregistry.h"

#include <algorithm>
#include <cstring>

ScanClientRegistry::ScanClientRegistry()
    : m_buffer(std::make_unique<uchar[]>(Capacity)) // value-initialised: zero-filled
{
}

ScanClientRegistry::ScanClientRegistry(const ScanClientRegistry &other)
    : m_buffer(std::make_unique_for_overwrite<uchar[]>(Capacity))
    , m_size(other.m_size)
{
    std::memcpy(m_buffer.get(), other.m_buffer.get(), Capacity);
}

ScanClientRegistry &ScanClientRegistry::operator=(const ScanClientRegistry &other)
{
    if (this != &other) {
        std::memcpy(m_buffer.get(), other.m_buffer.get(), Capacity);
        m_size = other.m_size;
    }
    return *this;
}

ScanClientRegistry::~ScanClientRegistry() = default;

void ScanClientRegistry::assign(const QByteArray &bytes)
{
    const quint32 length = quint32(std::min<qsizetype>(bytes.size(), Capacity));
    if (length > 0)
        std::memcpy(m_buffer.get(), bytes.constData(), length);
    m_size = length;
}

void ScanClientRegistry::setSize(quint32 size)
{
    m_size = std::min(size, Capacity);
}

void ScanClientRegistry::registerMetaType()
{
    qRegisterMetaType<ScanClientRegistry>("ScanClientRegistry");
}
