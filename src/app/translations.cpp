#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zn {

bool installTranslations(QCoreApplication *app, const QLocale &locale)
{
    auto *program = new QTranslator(app);
    if (!program->load(locale, QStringLiteral("znscan"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete program;
        return false;
    }
    app->installTranslator(program);
    // Qt's texts in the language found above, not in the first one the
    // locale names, so that the window does not mix two languages.
    auto *qt = new QTranslator(app);
    if (qt->load(QLocale(program->language()), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app->installTranslator(qt);
    else
        delete qt;
    return true;
}

} // namespace zn
