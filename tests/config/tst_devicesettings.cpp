// Device Settings end to end: a simulated controller is scanned into the
// panel, its registry downloaded into the configuration dialog and edited
// with the tree's own editors, exported, changed, imported back and saved.
// The controller must then hold exactly the exported registry: the edits made
// to what it had, the password as an MD5-crypt hash of what was typed.
#include "configfileio.h"
#include "devicefiles.h"
#include "modalanswers.h"
#include "passworddialog.h"
#include "privatenetwork.h"
#include "registryblob.h"
#include "registrymodel.h"
#include "rowtreeview.h"
#include "scanclientregistrydialog.h"
#include "scanserver.h"
#include "scanstatewidget.h"
#include "simulatorprocess.h"
#include "store.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <crypt.h>

namespace {

const QString kMac = QStringLiteral("00:11:22:33:44:55");
constexpr uint32_t kGeneral = 0xFFA70000, kNetwork = 0xFFA70100;
constexpr uint32_t kPassword = 0x19A70005, kMode = 0x10A70100, kIp = 0x14A70101, kRemark = 0x03A70007;

QModelIndex valueOf(const QAbstractItemModel *model, uint32_t key, const QModelIndex &parent = {})
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data(RegistryModel::KeyRole).toUInt() == key)
            return index.siblingAtColumn(1);
        if (const QModelIndex found = valueOf(model, key, index); found.isValid())
            return found;
    }
    return {};
}

} // namespace

class TestDeviceSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // The edits of the scenario, made as the operator makes them.
    void edit(ScanClientRegistryDialog *dialog, const QString &password)
    {
        auto *view = dialog->findChild<RowTreeView *>();
        const QAbstractItemModel *model = view->model();
        const auto button = [dialog](const char *name) { dialog->findChild<QPushButton *>(name)->click(); };

        view->edit(valueOf(model, kMode));
        auto *choices = qobject_cast<QComboBox *>(view->indexWidget(valueOf(model, kMode)));
        QVERIFY(choices);
        choices->setCurrentIndex(choices->findText("1 - DHCP"));
        QTest::keyClick(choices, Qt::Key_Return);
        QTRY_VERIFY(!view->indexWidget(valueOf(model, kMode))); // committed

        view->edit(valueOf(model, kIp));
        auto *line = qobject_cast<QLineEdit *>(view->indexWidget(valueOf(model, kIp)));
        QVERIFY(line);
        line->setText("10.1.2.3");
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_VERIFY(!view->indexWidget(valueOf(model, kIp)));

        view->edit(valueOf(model, kPassword));
        auto *twice = qobject_cast<PasswordDialog *>(view->indexWidget(valueOf(model, kPassword)));
        QVERIFY(twice);
        for (QLineEdit *field : twice->findChildren<QLineEdit *>())
            field->setText(password);
        twice->accept();
        QTRY_VERIFY(!view->indexWidget(valueOf(model, kPassword)));

        // Exported, then changed: the import must bring the exported registry back.
        button("m_pb_export");
        view->setCurrentIndex(valueOf(model, kRemark));
        button("m_pb_delete");
        QVERIFY(!valueOf(model, kRemark).isValid());
        button("m_pb_import");
        QVERIFY(valueOf(model, kRemark).isValid());
        dialog->accept(); // returns once the upload is complete
    }

private Q_SLOTS:
    void initTestCase()
    {
        ZN_REQUIRE_PRIVATE_NETWORK();
        QVERIFY(m_dir.isValid() && QDir(m_dir.path()).mkdir("devices"));
    }

    void editExportImportSave()
    {
        const QString registry = m_dir.filePath("sample.znc");
        const QString exported = m_dir.filePath("exported.znc");
        const QString devices = m_dir.filePath("devices");
        const QString password = QStringLiteral("s3cret ü");
        QString error;
        QVERIFY2(writeConfigFile(registry, sampleDeviceRegistry(), &error), qPrintable(error));
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, {"--device", "mac=" + kMac + ",board=12,cpu=7,serial=4660", "--spread", "50",
                                    "--registry", kMac + "=" + registry, "--save-dir", devices, "--duration", "0"}));

        ScanServer server;
        ScanStateWidget panel(&server);
        panel.show();
        server.start();
        panel.findChild<QPushButton *>("m_pb_scan")->click();
        auto *list = panel.findChild<RowTreeView *>();
        QTRY_COMPARE(list->model()->rowCount(), 1);
        list->setCurrentIndex(list->model()->index(0, 0));

        bool edited = false;
        const ModalAnswers answers([&](QWidget *window) {
            if (auto *files = qobject_cast<QFileDialog *>(window)) {
                files->selectFile(exported);
                static_cast<QDialog *>(files)->accept();
            } else if (auto *question = qobject_cast<QMessageBox *>(window)) {
                question->button(QMessageBox::Discard)->click(); // only when the scenario failed
            } else if (auto *dialog = qobject_cast<ScanClientRegistryDialog *>(window)) {
                edit(dialog, password);
                edited = !dialog->isVisible();
                if (!edited)
                    dialog->reject();
            }
        });
        const QList<QAction *> entries = panel.menu()->actions();
        const auto settings = std::find_if(entries.begin(), entries.end(),
                                           [](QAction *action) { return action->text() == "Device Settings"; });
        (*settings)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(edited, 20000);

        const QByteArray exportedBlob = blobOfFile(exported);
        QTRY_COMPARE(blobOfFile(deviceFile(devices, kMac)), exportedBlob);
        // The only "$1$" of the registry; where it sits the comparison below checks.
        const QByteArray hash = exportedBlob.mid(exportedBlob.indexOf("$1$"), 34);
        QCOMPARE(QByteArray(crypt(password.toUtf8().constData(), hash.constData())), hash);

        // The edits, made straight in the store over what the device sent.
        QByteArray expected = withDefaults(sampleDeviceRegistry()) + QByteArray(4096, '\0');
        zn::RegistryHandle *root = zn::reg_open(reinterpret_cast<uint8_t *>(expected.data()), 4096);
        zn::RegistryHandle *network = zn::reg_open_section(root, kNetwork);
        QVERIFY(zn::reg_set(network, kMode, le32(1).constData(), 4) && zn::reg_set(network, kIp, "\x0a\x01\x02\x03", 4));
        QVERIFY(zn::reg_set(zn::reg_open_section(root, kGeneral), kPassword, hash.constData(), uint32_t(hash.size())));
        expected.truncate(qsizetype(zn::reg_used_size(root)));
        zn::reg_close(root);
        QCOMPARE(exportedBlob, expected);
    }
};

QTEST_MAIN(TestDeviceSettings)
#include "tst_devicesettings.moc"
