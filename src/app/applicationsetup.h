// What the program sets on its application object before it makes a window:
// the names that locate its settings and its menu entry, the translation for
// the user's language, the window icon. The documentation's screenshots are
// taken of a window set up the same way.
#pragma once

class QApplication;

namespace zn {

void setUpApplication(QApplication *app);

} // namespace zn
