// What a key press sends to the host.
#pragma once

#include <QString>

class QKeyEvent;

// The text for a key; keypadApplication selects the ESC O forms of the cursor,
// Home and End keys (ESC =). Empty for keys that send nothing. The frame's own
// keys (copy, paste, Shift+Page Up/Down) are handled before this.
QString terminalKeyText(const QKeyEvent *event, bool keypadApplication);
