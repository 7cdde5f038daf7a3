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
    void windowSpeaksTheLocalesLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QStringList>("menus");
        QTest::addColumn<QString>("dock");
        QTest::addColumn<QString>("qtCancel");
        const QStringList german{"Datei", "&Scanner", "Hilfe"};
        QTest::newRow("German") << "de_DE" << true << german << "Meldungen" << "Abbrechen";
        QTest::newRow("Swiss German, by its language") << "de_CH" << true << german << "Meldungen" << "Abbrechen";
        QTest::newRow("French, not translated") << "fr_FR" << false << QStringList{"File", "&Scanner", "Help"}
                                                << "Messages" << "Cancel";
    }

    void windowSpeaksTheLocalesLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(bool, translated);
        QCOMPARE(zn::installTranslations(qApp, QLocale(locale)), translated);
        // The timer that would start the scanner dies with the window before
        // the event loop runs, so nothing is bound or sent.
        MainWindow window;
        QStringList menus;
        for (const QAction *entry : window.menuBar()->actions())
            menus << entry->text();
        const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
        qDeleteAll(qApp->findChildren<QTranslator *>());
        QTEST(menus, "menus");
        QTEST(window.findChild<QDockWidget *>()->windowTitle(), "dock");
        QTEST(cancel, "qtCancel");
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
