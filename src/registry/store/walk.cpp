#include "walk.h"

#include "record.h"

namespace zn {

SectionWalk::SectionWalk(const uint8_t *section)
{
    if (section) {
        m_cursor = section + kRegHeaderSize;
        m_remaining = recordLength(section);
    }
}

bool SectionWalk::atChild() const
{
    return m_remaining >= kRegHeaderSize && recordLength(m_cursor) <= m_remaining - kRegHeaderSize;
}

void SectionWalk::advance()
{
    const uint32_t size = uint32_t(recordSize(m_cursor));
    m_cursor += size;
    m_remaining -= size;
}

const uint8_t *walkFind(const uint8_t *section, uint32_t key)
{
    for (SectionWalk walk(section); walk.atChild(); walk.advance()) {
        if (recordKey(walk.child()) == key)
            return walk.child();
    }
    return nullptr;
}

int walkCount(const uint8_t *section)
{
    int count = 0;
    for (SectionWalk walk(section); walk.atChild(); walk.advance())
        ++count;
    return count;
}

uint32_t walkKeyAt(const uint8_t *section, int index)
{
    if (index < 0)
        return 0;
    for (SectionWalk walk(section); walk.atChild(); walk.advance()) {
        if (index-- == 0)
            return recordKey(walk.child());
    }
    return 0;
}

int walkIndexOf(const uint8_t *section, uint32_t key)
{
    int index = 0;
    for (SectionWalk walk(section); walk.atChild(); walk.advance(), ++index) {
        if (recordKey(walk.child()) == key)
            return index;
    }
    return -1;
}

const uint8_t *walkEnd(const uint8_t *section)
{
    SectionWalk walk(section);
    while (walk.atChild())
        walk.advance();
    return walk.child();
}

} // namespace zn
