// The walk rule: the only way the store visits the children of a section.
// With R bytes of the section left, a child is visited only while R >= 8 and
// its length fits into R - 8; a damaged child ends the walk, hiding itself and
// everything behind it, so no walk ever reads outside its section.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zn {

class SectionWalk {
public:
    // `section` is a section record header, or null for a detached handle.
    explicit SectionWalk(const uint8_t *section);

    bool atChild() const;
    const uint8_t *child() const { return m_cursor; } // current child, or where the walk ended
    void advance();

private:
    const uint8_t *m_cursor = nullptr;
    uint32_t m_remaining = 0;
};

const uint8_t *walkFind(const uint8_t *section, uint32_t key);
int walkCount(const uint8_t *section);
uint32_t walkKeyAt(const uint8_t *section, int index);
int walkIndexOf(const uint8_t *section, uint32_t key);
// One past the last visible child: where new records are appended.
const uint8_t *walkEnd(const uint8_t *section);

} // namespace zn
