#include "terminalpalette.h"

#include <QPalette>

namespace {

// The eight standard colours, per tone.
constexpr QRgb kStandard[3][8] = {
    {0x002B36, 0xDC322F, 0x1C9900, 0xB58900, 0x3555FF, 0xD33682, 0x2AA198, 0x93A1A1},
    {0x536063, 0xFF5555, 0x44E044, 0xC0C020, 0x268BD2, 0xFF55FF, 0x60E0E0, 0xFFFFFF},
    {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080},
};

constexpr QRgb kSystem16[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

QColor palette256(uint32_t n)
{
    if (n < 16)
        return QColor(kSystem16[n]);
    if (n < 232) {
        static constexpr int kLevels[6] = {0x00, 0x5F, 0x87, 0xAF, 0xD7, 0xFF};
        n -= 16;
        return QColor(kLevels[n / 36], kLevels[n / 6 % 6], kLevels[n % 6]);
    }
    const int grey = 0x08 + 10 * int(n - 232);
    return QColor(grey, grey, grey);
}

} // namespace

QColor terminalColour(uint32_t number, CellTone tone, bool background, const QPalette &palette)
{
    if (number < 256)
        return palette256(number);
    if (number < 264)
        return QColor(kStandard[int(tone)][number - 256]);
    if (background)
        return palette.color(QPalette::Active, QPalette::Window);
    static constexpr QPalette::ColorRole kDefaultForeground[3] = {QPalette::Text, QPalette::BrightText,
                                                                  QPalette::Dark};
    return palette.color(QPalette::Active, kDefaultForeground[int(tone)]);
}
