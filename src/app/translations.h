// The program speaks the first of the locale's interface languages it has a
// translation for, English (its source texts) otherwise. The system locale
// follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG, so `LANGUAGE=de znscan`
// forces German and `LANGUAGE=en znscan` English.
#pragma once

class QCoreApplication;
class QLocale;

namespace zn {

// Installs the program's translation for locale into app and, for the same
// language, Qt's own (the texts of standard buttons and dialogs) when the
// system has it. Returns false, installing nothing, when the program has no
// translation for any of the locale's languages.
bool installTranslations(QCoreApplication *app, const QLocale &locale);

} // namespace zn
