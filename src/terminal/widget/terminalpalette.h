// The terminal's colour numbers as screen colours.
#pragma once

#include <QColor>

#include <cstdint>

class QPalette;

enum class CellTone { Normal, Bold, Faint };

// number: 0-255 the 256-colour table, 256-263 the eight standard colours in
// the given tone, anything else the default colour (from the widget palette).
QColor terminalColour(uint32_t number, CellTone tone, bool background, const QPalette &palette);
