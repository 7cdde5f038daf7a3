// The device list panel offscreen, on a scan server that is never started (so
// nothing is sent): actions against the selection and the view's selection
// signal they follow, Delete, sorting and filtering, double click, the
// context menu and the browser confirmation.
#include "browsericon.h"
#include "messagelines.h"
#include "modalanswers.h"
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
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include <memory>

class TestScanStateWidget : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScanServer> server;
    std::unique_ptr<ScanStateWidget> widget;
    RowTreeView *view = nullptr;
    QList<QUrl> opened; // by the stand-in browser

    void select(int row) { view->setCurrentIndex(view->model()->index(row, 1)); }
    ScanClientItem *device(int row) const { return server->model()->state()->at(row); }

    // The texts of the enabled buttons and menu entries.
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

public Q_SLOTS:
    void openUrl(const QUrl &url) { opened << url; }

private Q_SLOTS:
    void init()
    {
        server = std::make_unique<ScanServer>();
        for (quint32 ip : {0x0A000005u, 0u}) {
            auto *item = new ScanClientItem;
            item->info.mac = Mac(0x025A4E000001 + server->model()->rowCount());
            item->info.ip = ip;
            server->model()->addClient(item);
        }
        widget = std::make_unique<ScanStateWidget>(server.get());
        view = widget->findChild<RowTreeView *>();
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    }

    void cleanup()
    {
        widget.reset();
        server.reset();
    }

    // Device actions need a selected row and a visible panel; Scan never does.
    // Delete takes the selected device and selects the next one.
    void actionsFollowTheSelectionAndDeleteTakesIt()
    {
        const QStringList scanOnly = enabled();
        QCOMPARE(scanOnly.size(), 2); // the button and the menu entry
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(server->model()->rowCount(), 2);
        select(0);
        const QStringList all = enabled();
        QCOMPARE(all.size(), widget->findChildren<QPushButton *>().size() + widget->menu()->actions().size() - 1);
        const QPointer<ScanClientItem> first = device(0);
        QTest::keyClick(view, Qt::Key_Delete);
        QVERIFY(first.isNull());
        QCOMPARE(enabled(), all);
        widget->hide();
        QCOMPARE(enabled(), scanOnly);
        widget->show();
        QCOMPARE(enabled(), all);
        view->clearSelection();
        QCOMPARE(enabled(), scanOnly);
    }

    // The view (the configuration dialog's too) reports its selection as one
    // index. Cleared, or dropped silently by a model reset: listeners hear
    // the selection go, once each time.
    void viewReportsTheSelectionAsOneIndex()
    {
        QStandardItemModel model(3, 2);
        RowTreeView tree;
        tree.setModel(&model);
        QSignalSpy spy(&tree, qOverload<const QModelIndex &>(&RowTreeView::selectionChanged));
        tree.setCurrentIndex(model.index(1, 1));
        QCOMPARE(spy.takeLast().at(0).toModelIndex(), tree.selectedIndex());
        QCOMPARE(tree.selectedIndex().row(), 1);
        tree.clearSelection();
        tree.setCurrentIndex(model.index(2, 0));
        model.clear();
        QCOMPARE(spy.size(), 3); // cleared, selected, reset
        QVERIFY(!spy.at(0).at(0).toModelIndex().isValid() && !spy.at(2).at(0).toModelIndex().isValid());
    }

    // Sorting keeps the selected device selected and acted on; filtering it
    // out disables the device actions; a flash shows in the sorted row; Delete
    // in the filter box is the box's.
    void selectionAndFlashingGoThroughSortAndFilter()
    {
        select(0); // 02:5A:4E:00:00:01, 10.0.0.5
        view->sortByColumn(ScanStateModel::IpColumn, Qt::AscendingOrder); // the one without address first
        QCOMPARE(view->selectedIndex().row(), 1);
        server->model()->flashClient(device(0));
        QTRY_VERIFY(view->model()->index(1, 3).data(Qt::BackgroundRole).isValid());
        auto *filterBox = widget->findChild<QLineEdit *>();
        QTest::keyClicks(filterBox, QStringLiteral(":02"));
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(enabled().size(), 2);
        filterBox->setText(QStringLiteral("4e"));
        select(1);
        QTest::keyClick(filterBox, Qt::Key_Home);
        QTest::keyClick(filterBox, Qt::Key_Delete); // edits the text, removes no device
        QCOMPARE(filterBox->text(), QStringLiteral("e"));
        QCOMPARE(server->model()->rowCount(), 2);
        QTest::keyClick(view, Qt::Key_Delete);
        QCOMPARE(server->model()->state()->findByMac(Mac(0x025A4E000001)), QList<ScanClientItem *>());
    }

    // The details of the double-clicked row; Reset goes to the server and
    // leaves the dialog open, which closes when its device is removed.
    void doubleClickShowsThatRowUntilItGoes()
    {
        MessageLines log(server.get());
        QStringList fields;
        bool openAfterReset = false, closedWithDevice = false;
        const ModalAnswers answers([&](QWidget *window) {
            auto *dialog = qobject_cast<ScanClientDialog *>(window);
            QVERIFY(dialog);
            for (const QLineEdit *field : dialog->findChildren<QLineEdit *>())
                fields << field->text();
            dialog->findChild<QPushButton *>(QStringLiteral("m_pb_reset"))->click();
            openAfterReset = dialog->isVisible();
            server->model()->deleteClient(device(1));
            closedWithDevice = !dialog->isVisible();
            dialog->reject();
        });
        const QPoint at = view->visualRect(view->model()->index(1, 2)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at); // a double click's first press
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(fields.contains(QStringLiteral("02:5A:4E:00:00:02")));
        QCOMPARE(log.messages().first(), QStringLiteral("[Scan] Reset Cold MAC(02:5A:4E:00:00:02)"));
        QVERIFY(openAfterReset && closedWithDevice);
    }

    // A right click anywhere on the panel opens the menu the menu bar shows.
    void contextMenuIsTheScannerMenu()
    {
        QWidget *shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activePopupWidget();
            shown->close();
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), view->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(view->viewport(), &click);
        QCOMPARE(shown, widget->menu());
    }

    // Only OK opens "https://" + the address + "/"; a device without an
    // address gets a warning instead of the question.
    void browserOpensOnlyAfterConfirmation()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
        for (const auto &[row, answer, box, urls] :
             {std::tuple(0, QMessageBox::Ok, QMessageBox::Information, QList<QUrl>{QUrl("https://10.0.0.5/")}),
              std::tuple(0, QMessageBox::Cancel, QMessageBox::Information, QList<QUrl>()),
              std::tuple(1, QMessageBox::Ok, QMessageBox::Warning, QList<QUrl>())}) {
            QMessageBox::Icon shown = QMessageBox::NoIcon;
            const ModalAnswers answers([&](QWidget *window) {
                auto *question = qobject_cast<QMessageBox *>(window);
                QVERIFY(question);
                shown = question->icon();
                question->button(answer)->click();
            });
            select(row);
            widget->findChild<QPushButton *>(QStringLiteral("m_pb_browser"))->click();
            QCOMPARE(shown, box);
            QCOMPARE(std::exchange(opened, {}), urls);
        }
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    // The program of the browser's open command, whose icon the panel shows on Windows.
    void browserProgramOfTheOpenCommand()
    {
        for (const auto &[command, program] :
             {std::pair(" \"C:\\Program Files\\B\\b.exe\" -url \"%1\"", "C:\\Program Files\\B\\b.exe"),
              std::pair("\tC:\\b.exe -url %1", "C:\\b.exe"), std::pair("\"C:\\b c.exe", "C:\\b c.exe")})
            QCOMPARE(browserProgramFromCommand(QString::fromLatin1(command)), QString::fromLatin1(program));
    }
};

QTEST_MAIN(TestScanStateWidget)
#include "tst_scanstatewidget.moc"
