#include "scanclientregistry.h"

#include <algorithm>
#include <cstring>

namespace {
const uchar kUnwritten[ScanClientRegistry::Capacity] = {};
}

ScanClientRegistry::ScanClientRegistry() = default;

ScanClientRegistry::ScanClientRegistry(const ScanClientRegistry &other)
    : m_size(other.m_size)
{
    if (other.m_buffer)
        std::memcpy(data(), other.m_buffer.get(), Capacity);
}

ScanClientRegistry &ScanClientRegistry::operator=(const ScanClientRegistry &other)
{
    if (this != &other) {
        if (other.m_buffer)
            std::memcpy(data(), other.m_buffer.get(), Capacity);
        else
            m_buffer.reset();
        m_size = other.m_size;
    }
    return *this;
}

ScanClientRegistry::~ScanClientRegistry() = default;

uchar *ScanClientRegistry::data()
{
    if (!m_buffer)
        m_buffer = std::make_unique<uchar[]>(Capacity); // value-initialised: zero-filled
    return m_buffer.get();
}

const uchar *ScanClientRegistry::data() const
{
    return m_buffer ? m_buffer.get() : kUnwritten;
}

void ScanClientRegistry::assign(const QByteArray &bytes)
{
    const quint32 length = quint32(std::min<qsizetype>(bytes.size(), Capacity));
    if (length > 0)
        std::memcpy(data(), bytes.constData(), length);
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
