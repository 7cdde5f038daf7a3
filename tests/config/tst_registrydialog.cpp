// The configuration dialog offscreen, over a scan server that is never
// started, standing in for the device: buttons by the selection, where new
// entries go and which row is current after Delete, how closing ends (the
// unsaved-changes question, the save, a device that goes), the text windows
// and a failed export.
#include "dumpview.h"
#include "filesizelimit.h"
#include "modalanswers.h"
#include "registryblob.h"
#include "registrymodel.h"
#include "registrynewitemdialog.h"
#include "rowtreeview.h"
#include "scanclientitem.h"
#include "scanclientregistrydialog.h"
#include "scanserver.h"
#include "scanstatemodel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kIp = record(0x14A70101, hex("c0a80102"));
const QByteArray kMask = record(0x14A70102, hex("ffffff00"));
const QByteArray kGateway = record(0x14A70103, hex("c0a80101"));
// An empty section, then a value.
const QByteArray kSectionAndValue = rootBlob(record(0xFFA70100) + kIp);
const QByteArray kNetworkIp = rootBlob(record(0xFFA70100, kIp));
// Network with three values, then General with one.
const QByteArray kTwoSections = rootBlob(record(0xFFA70100, kIp + kMask + kGateway) + record(0xFFA70000, kIp));

using Rows = QList<int>;

} // namespace

class TestRegistryDialog : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScanServer> server;
    ScanClientItem *item = nullptr;
    std::unique_ptr<ScanClientRegistryDialog> dialog;
    RowTreeView *view = nullptr;
    QModelIndex ipValue; // the value column of kIp, the first row of the first section

    void open(const QByteArray &blob)
    {
        cleanup();
        server = std::make_unique<ScanServer>();
        item = new ScanClientItem;
        item->info.mac = Mac(0x025A4E000001);
        item->registry.assign(blob);
        server->model()->addClient(item);
        dialog = std::make_unique<ScanClientRegistryDialog>();
        dialog->setClient(item);
        dialog->show();
        view = dialog->findChild<RowTreeView *>();
        ipValue = at({0, 0}).siblingAtColumn(1);
    }
    // The row below the root at these row numbers.
    QModelIndex at(const Rows &rows) const
    {
        QModelIndex index = view->model()->index(0, 0);
        for (int row : rows)
            index = view->model()->index(row, 0, index);
        return index;
    }
    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(QLatin1String(name)); }
    // Whether New and Delete are enabled.
    std::pair<bool, bool> newAndDelete() const
    {
        return {button("m_pb_new")->isEnabled(), button("m_pb_delete")->isEnabled()};
    }

private Q_SLOTS:
    void cleanup()
    {
        dialog.reset();
        server.reset();
    }

    // Nothing selected enables neither button; a section New, and Delete too
    // when it is empty; a value only Delete.
    void selectionEnables()
    {
        for (const auto &[blob, selected, enabled] :
             {std::tuple(kSectionAndValue, Rows{}, std::pair(true, false)),
              std::tuple(kSectionAndValue, Rows{1}, std::pair(false, true)),
              std::tuple(kSectionAndValue, Rows{0}, std::pair(true, true)),
              std::tuple(rootBlob(), Rows{}, std::pair(true, true))}) {
            open(blob);
            QCOMPARE(newAndDelete(), std::pair(false, false));
            view->setCurrentIndex(at(selected).siblingAtColumn(1));
            QCOMPARE(newAndDelete(), enabled);
        }
    }

    // The add-item window stays open beside the tree: with a value selected by
    // then, the new entry goes into the value's section and becomes current.
    void newEntryGoesIntoTheSection()
    {
        open(kTwoSections);
        view->setCurrentIndex(at({}));
        button("m_pb_new")->click();
        auto *newItem = dialog->findChild<RegistryNewItemDialog *>();
        QVERIFY(newItem && newItem->isVisible());
        view->setCurrentIndex(ipValue);
        newItem->findChild<QComboBox *>()->setEditText("0x11A701F0");
        newItem->accept();
        QCOMPARE(view->currentIndex().data(RegistryModel::KeyRole).toUInt(), 0x11A701F0u);
        QCOMPARE(view->currentIndex().parent(), at({0}));
        QCOMPARE(view->model()->rowCount(at({0})), 4);
    }

    // After Delete the next row is current, else the section's new last row,
    // else the section.
    void deleteMovesCurrent()
    {
        for (const auto &[deleted, current] : {std::pair(Rows{0, 0}, 0x14A70102u), std::pair(Rows{0, 2}, 0x14A70102u),
                                               std::pair(Rows{1, 0}, 0xFFA70000u)}) {
            open(kTwoSections);
            view->setCurrentIndex(at(deleted).siblingAtColumn(1));
            button("m_pb_delete")->click();
            QCOMPARE(view->currentIndex().data(RegistryModel::KeyRole).toUInt(), current);
            QVERIFY(view->selectionModel()->isSelected(view->currentIndex()));
        }
    }

    // How closing ends. Close asks only after an edit and OK never asks; Cancel
    // keeps the dialog, Discard leaves the device's registry alone, Save and OK
    // upload the edited one. Only this device's signals count. An error or a
    // cancelled progress dialog leaves the dialog open with the transfer
    // ended; a device that goes closes both.
    void closing_data()
    {
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("answer"); // to the unsaved-changes question
        QTest::addColumn<QString>("end"); // of the upload
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("warning");

        QTest::newRow("unchanged: no question") << false << false << 0 << "" << true << "";
        QTest::newRow("Cancel") << true << false << int(QMessageBox::Cancel) << "" << false << "";
        QTest::newRow("Discard") << true << false << int(QMessageBox::Discard) << "" << true << "";
        QTest::newRow("Save") << true << false << int(QMessageBox::Save) << "complete" << true << "";
        QTest::newRow("OK, error") << true << true << 0 << "error" << false
                                   << "Config data transfer aborted for 02:5A:4E:00:00:01";
        QTest::newRow("OK, cancelled") << true << true << 0 << "cancel" << false << "";
        QTest::newRow("OK, device gone") << true << true << 0 << "gone" << true << "";
    }

    void closing()
    {
        QFETCH(bool, edit);
        QFETCH(bool, ok);
        QFETCH(int, answer);
        QFETCH(QString, end);
        QFETCH(bool, closed);
        QFETCH(QString, warning);

        open(kNetworkIp);
        if (edit)
            QVERIFY(view->model()->setData(ipValue, "10.0.0.1"));
        auto *other = new ScanClientItem;
        other->info.mac = Mac(0x025A4E000002);
        server->model()->addClient(other);
        const QPointer<ScanClientItem> device = item;
        int questions = 0;
        bool progressed = false;
        QString warned;
        const ModalAnswers answers([&](QWidget *window) {
            if (auto *box = qobject_cast<QMessageBox *>(window)) {
                const bool question = box->button(QMessageBox::Save);
                questions += question;
                warned = question ? warned : box->text();
                box->button(question ? QMessageBox::StandardButton(answer) : QMessageBox::Ok)->click();
                return;
            }
            auto *progress = qobject_cast<QProgressDialog *>(window);
            Q_EMIT server->clientRegistrySaveComplete(other);
            Q_EMIT server->clientRegistryProgress(item, 40);
            progressed = QTest::qWaitFor([&] { return progress->value() == 40; }, 2000);
            if (end == "complete")
                Q_EMIT server->clientRegistrySaveComplete(item);
            else if (end == "error")
                server->abortClientRegistryTransfer(item->info.mac); // ends it with an error, as a device would
            else if (end == "cancel")
                progress->findChild<QPushButton *>()->click();
            else
                server->model()->deleteClient(item);
        });
        ok ? dialog->accept() : dialog->reject();
        QCOMPARE(questions, edit && !ok ? 1 : 0);
        QCOMPARE(progressed, !end.isEmpty());
        QCOMPARE(dialog->isVisible(), !closed);
        QCOMPARE(dialog->result(), end == "complete" ? 1 : 0);
        QCOMPARE(warned, warning);
        if (!device)
            return;
        const QByteArray edited = rootBlob(record(0xFFA70100, record(0x14A70101, hex("0a000001"))));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(device->registry.data()), device->registry.size()),
                 end.isEmpty() ? kNetworkIp : edited);
        QVERIFY(closed || !device->transfer);
    }

    // The dump and the changes, each in a window of its own that Escape closes.
    void textWindows()
    {
        open(kNetworkIp);
        QVERIFY(view->model()->setData(ipValue, "10.0.0.1"));
        button("m_pb_changes")->click();
        view->actions().at(2)->trigger();
        const QList<DumpView *> windows = dialog->findChildren<DumpView *>();
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows.at(0)->toPlainText(), "changed Network / IP Address (IPv4 0x14A70101): 192.168.1.2 -> 10.0.0.1");
        QCOMPARE(windows.at(1)->windowTitle(), "Configuration dump for 02:5A:4E:00:00:01");
        for (QPointer<DumpView> window : windows) {
            QVERIFY(window->isWindow() && window->isVisible());
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window, Qt::Key_Escape);
            QTRY_VERIFY(!window);
        }
        QVERIFY(dialog->isVisible());
    }

    // A write that fails half-way keeps the old file and leaves no other; the
    // operator is told the system's reason.
    void exportFailureKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("old.znc");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        open(kTwoSections);
        QString warned;
        const ModalAnswers answers([&](QWidget *window) {
            if (auto *files = qobject_cast<QFileDialog *>(window)) {
                files->selectFile(path);
                static_cast<QDialog *>(files)->accept();
            } else if (auto *box = qobject_cast<QMessageBox *>(window); box->button(QMessageBox::Yes)) {
                box->button(QMessageBox::Yes)->click(); // replace the file
            } else {
                warned = box->windowTitle() + ": " + box->text();
                box->accept();
            }
        });
        {
            const FileSizeLimit limit(64);
            button("m_pb_export")->click();
        }
        QCOMPARE(warned, "Export Configuration: File too large");
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), "old");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.znc"});
    }
};

QTEST_MAIN(TestRegistryDialog)
#include "tst_registrydialog.moc"
