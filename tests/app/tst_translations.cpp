// The translations embedded in the program: the window comes out in the
// language of the locale, falling back from a regional locale to its
// language, with Qt's own texts in the same language, and stays English
// for a language without a translation.
#include "mainwindow.h"
#include "translations.h"

#include <QApplication>
#include <QDockWidget>
#include <QMenuBar>
#include <QTest>
#include <QTranslator>

class TestTranslations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowSpeaksTheLocalesLanguage()
    {
        const QStringList german{"Datei", "&Scanner", "Hilfe"}, english{"File", "&Scanner", "Help"};
        for (const auto &[locale, menus, dock, qtCancel] :
             {std::tuple("de_DE", german, "Meldungen", "Abbrechen"), std::tuple("de_CH", german, "Meldungen", "Abbrechen"),
              std::tuple("fr_FR", english, "Messages", "Cancel")}) {
            QCOMPARE(zn::installTranslations(qApp, QLocale(QString::fromLatin1(locale))), menus == german);
            // The timer that would start the scanner dies with the window
            // before the event loop runs, so nothing is bound or sent.
            MainWindow window;
            QStringList shown;
            for (const QAction *entry : window.menuBar()->actions())
                shown << entry->text();
            const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
            qDeleteAll(qApp->findChildren<QTranslator *>());
            QCOMPARE(shown, menus);
            QCOMPARE(window.findChild<QDockWidget *>()->windowTitle(), QString::fromLatin1(dock));
            QCOMPARE(cancel, QString::fromLatin1(qtCancel));
        }
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
