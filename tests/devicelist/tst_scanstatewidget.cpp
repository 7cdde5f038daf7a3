// The device list panel offscreen, on a scan server that is never started (so
// nothing is sent): actions against the selection, Delete, double click, the
// context menu, the browser confirmation, the load error box.
#include "browsericon.h"
#include "messagelines.h"
#include "rowtreeview.h"
#include "scanclientdialog.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "scanstatewidget.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

ScanClientItem *device(quint64 mac, quint32 ip)
{
    auto *item = new ScanClientItem;
    item->info.mac = Mac(mac);
    item->info.ip = ip;
    return item;
}

// Runs `handle` once on the first window that `find` returns within 5 s
// (a modal dialog or popup menu, opened by what the test does next).
void whenShown(std::function<QWidget *()> find, std::function<void(QWidget *)> handle)
{
    auto *poll = new QTimer;
    auto *deadline = new QDeadlineTimer(5000);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget *window = find();
        if (!window && !deadline->hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        delete deadline;
        if (window)
            handle(window);
    });
    poll->start(10);
}

QWidget *modalWindow()
{
    return QApplication::activeModalWidget();
}

QWidget *popupWindow()
{
    return QApplication::activePopupWidget();
}

} // namespace

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class TestScanStateWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScanServer> server;
    std::unique_ptr<ScanStateWidget> widget;
    RowTreeView *view = nullptr;
    UrlRecorder browser; // stands in for the real one

    void select(int row) { view->setCurrentIndex(view->model()->index(row, 1)); }

    // The enabled buttons and menu entries, by text.
    QStringList enabled() const
    {
        QStringList texts;
        for (const QPushButton *button : widget->findChildren<QPushButton *>())
            texts << (button->isEnabled() ? button->text() : QString());
        for (const QAction *action : widget->menu()->actions())
            texts << (action->isEnabled() && !action->isSeparator() ? action->text() : QString());
        texts.removeAll(QString());
        return texts;
    }

    QPushButton *button(const char *name) const { return widget->findChild<QPushButton *>(QLatin1String(name)); }

private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<ScanClientItem *>(); }

    void init()
    {
        server = std::make_unique<ScanServer>();
        server->model()->addClient(device(0x025A4E000001, 0x0A000005));
        server->model()->addClient(device(0x025A4E000002, 0));
        widget = std::make_unique<ScanStateWidget>(server.get());
        view = widget->findChild<RowTreeView *>();
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    }

    void cleanup()
    {
        widget.reset();
        server.reset();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    // Device actions need a selected row and a visible panel; Scan never does.
    void actionsFollowTheSelection()
    {
        const QStringList scanOnly = enabled();
        QCOMPARE(scanOnly.size(), 2); // the button and the menu entry
        select(1);
        const QStringList all = enabled();
        QCOMPARE(all.size(), widget->findChildren<QPushButton *>().size() + widget->menu()->actions().size() - 1);
        widget->hide();
        QCOMPARE(enabled(), scanOnly);
        widget->show();
        QCOMPARE(enabled(), all);
        view->clearSelection();
        QCOMPARE(enabled(), scanOnly);
    }

    // Delete takes the selected device; the next one is then selected, so a
    // second Delete empties the list and leaves only Scan enabled.
    void deleteRemovesTheSelectedDevice()
    {
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(server->model()->rowCount(), 2);
        select(0);
        const QPointer<ScanClientItem> first = server->model()->clientAt(server->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_Delete);
        QVERIFY(first.isNull());
        QCOMPARE(server->model()->rowCount(), 1);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(server->model()->rowCount(), 0);
        QCOMPARE(enabled().size(), 2);
    }

    // Sorting keeps the selected device selected and acted on; filtering it
    // out disables the device actions; a flash shows in the sorted row.
    void selectionAndFlashingGoThroughSortAndFilter()
    {
        select(0); // 02:5A:4E:00:00:01, 10.0.0.5
        view->sortByColumn(ScanStateModel::IpColumn, Qt::AscendingOrder); // the one without address first
        QCOMPARE(view->selectedIndex().row(), 1);
        ScanClientItem *selected = server->model()->state()->at(0);
        server->model()->flashClient(selected);
        QTRY_VERIFY(view->model()->index(1, 3).data(Qt::BackgroundRole).isValid());
        auto *filterBox = widget->findChild<QLineEdit *>();
        QTest::keyClicks(filterBox, QStringLiteral(":02"));
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(enabled().size(), 2);
        filterBox->clear();
        select(1);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(server->model()->state()->findByMac(Mac(0x025A4E000001)), QList<ScanClientItem *>());
    }

    // The dialog shows the double-clicked row and sends its Reset to the server.
    void doubleClickOpensTheDetailsOfThatRow()
    {
        const QModelIndex row1 = view->model()->index(1, 2);
        MessageLines log(server.get());
        QStringList fields;
        whenShown(modalWindow, [&](QWidget *window) {
            auto *dialog = qobject_cast<ScanClientDialog *>(window);
            QVERIFY(dialog);
            for (const QLineEdit *field : dialog->findChildren<QLineEdit *>())
                fields << field->text();
            dialog->findChild<QPushButton *>(QStringLiteral("m_pb_reset"))->click();
            dialog->accept();
        });
        const QPoint at = view->visualRect(row1).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at); // a double click's first press
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(fields.contains(QStringLiteral("02:5A:4E:00:00:02")));
        QCOMPARE(log.messages().first(), QStringLiteral("[Scan] Reset Cold MAC(02:5A:4E:00:00:02)"));
    }

    // A right click anywhere on the panel opens the menu the menu bar shows.
    void contextMenuIsTheScannerMenu()
    {
        QWidget *shown = nullptr;
        whenShown(popupWindow, [&](QWidget *popup) {
            shown = popup;
            popup->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), view->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(view->viewport(), &click);
        QCOMPARE(shown, widget->menu());
    }

    // Only OK opens "https://" + the address + "/"; without an address there
    // is nothing to open.
    void browserOpensOnlyAfterConfirmation_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<QMessageBox::Icon>("box");
        QTest::addColumn<QList<QUrl>>("opened");
        QTest::newRow("OK") << 0 << QMessageBox::Ok << QMessageBox::Information
                            << QList<QUrl>{QUrl(QStringLiteral("https://10.0.0.5/"))};
        QTest::newRow("Cancel") << 0 << QMessageBox::Cancel << QMessageBox::Information << QList<QUrl>();
        QTest::newRow("no address") << 1 << QMessageBox::Ok << QMessageBox::Warning << QList<QUrl>();
    }

    void browserOpensOnlyAfterConfirmation()
    {
        QFETCH(int, row);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(QMessageBox::Icon, box);
        QFETCH(QList<QUrl>, opened);
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        QMessageBox::Icon shown = QMessageBox::NoIcon;
        whenShown(modalWindow, [&](QWidget *window) {
            auto *question = qobject_cast<QMessageBox *>(window);
            QVERIFY(question);
            shown = question->icon();
            question->button(answer)->click();
        });
        select(row);
        button("m_pb_browser")->click();
        QCOMPARE(shown, box);
        QCOMPARE(std::exchange(browser.urls, {}), opened);
    }

    void loadErrorShowsTheServersText()
    {
        QCoreApplication::setApplicationName(QStringLiteral("znscan"));
        QString title, text;
        whenShown(modalWindow, [&](QWidget *window) {
            title = window->windowTitle();
            text = qobject_cast<QMessageBox *>(window)->text();
            window->close();
        });
        QMetaObject::invokeMethod(widget.get(), "onClientRegistryLoadError", Qt::QueuedConnection,
                                  Q_ARG(ScanClientItem *, nullptr), Q_ARG(QString, QStringLiteral("Denied")));
        QTRY_COMPARE(text, QStringLiteral("Denied"));
        QCOMPARE(title, QStringLiteral("znscan"));
    }

    void browserProgramOfTheOpenCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("program");
        QTest::newRow("quoted, with arguments") << "  \"C:\\Program Files\\B\\b.exe\" -url \"%1\""
                                                << "C:\\Program Files\\B\\b.exe";
        QTest::newRow("unquoted") << "\tC:\\b.exe -url %1" << "C:\\b.exe";
        QTest::newRow("quote never closed") << "\"C:\\b c.exe" << "C:\\b c.exe";
        QTest::newRow("blank") << "   " << "";
    }

    void browserProgramOfTheOpenCommand()
    {
        QFETCH(QString, command);
        QFETCH(QString, program);
        QCOMPARE(browserProgramFromCommand(command), program);
    }
};

QTEST_MAIN(TestScanStateWidget)
#include "tst_scanstatewidget.moc"
