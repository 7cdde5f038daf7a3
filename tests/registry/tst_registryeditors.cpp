// The registry editors on the offscreen platform: the Enum choice list, the
// password dialog opened by a real view, and the keys of the add-item window.
#include "password.h"
#include "passworddialog.h"
#include "registryblob.h"
#include "registrydelegate.h"
#include "registrymodel.h"
#include "registrynewitemdialog.h"
#include "store/blobbuilder.h"
#include "tagmap.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// An Enum whose named values are written in hexadecimal.
const QByteArray kHexEnumMap = "\"0x10A7F001\",\"Hex mode\",\n"
                               "\"0x10A7F001:0x2\",\"Static\",\n"
                               "\"0x10A7F001:0x1F\",\"Other\",\n";

// A view over one value in the root, with the delegate.
struct EditedValue {
    OpenStore store;
    RegistryModel model;
    RegistryDelegate delegate;
    QTreeView view;

    EditedValue(const QByteArray &value, const TagMap *map) : store(rootBlob(value), 256)
    {
        model.setTagMap(map);
        model.setRegistry(store.root);
        view.setModel(&model);
        view.setItemDelegate(&delegate);
        view.expandAll();
    }
    QModelIndex value() const { return model.index(0, 1, model.index(0, 0)); }
};

} // namespace

class TestRegistryEditors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void enumEditor_data();
    void enumEditor();
    void passwordEditor_data();
    void passwordEditor();
    void newItemKeys_data();
    void newItemKeys();
    void newItemOrder();

private:
    TagMap m_map;
    QTemporaryDir m_dir;
};

void TestRegistryEditors::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile file(m_dir.filePath("hex.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kHexEnumMap) == kHexEnumMap.size());
    file.close();
    m_map.loadFile(":/maps/znmap.csv");
    m_map.loadFile(file.fileName());
}

void TestRegistryEditors::enumEditor_data()
{
    QTest::addColumn<uint>("key");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown"); // the editor's text, all of it selected
    QTest::addColumn<QString>("chosen"); // an item's text, or typed text
    QTest::addColumn<int>("written");

    QTest::newRow("named value") << 0x10A70100u << 2 << "2 - Static" << "1 - DHCP" << 1;
    QTest::newRow("number without a name") << 0x10A70006u << 7 << "7" << "3 - 270°" << 3;
    QTest::newRow("hexadecimal choice") << 0x10A7F001u << 31 << "0x1F - Other" << "0x2 - Static" << 2;
    QTest::newRow("typed number") << 0x10A70100u << 0 << "0 - Disabled" << "0x10" << 16;
    QTest::newRow("typed text") << 0x10A70100u << 2 << "2 - Static" << "Static" << 0;
}

void TestRegistryEditors::enumEditor()
{
    QFETCH(uint, key);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(QString, chosen);
    QFETCH(int, written);

    EditedValue edited(record(key, le32(uint32_t(stored))), &m_map);
    std::unique_ptr<QWidget> editor(
        edited.delegate.createEditor(edited.view.viewport(), QStyleOptionViewItem(), edited.value()));
    auto *list = qobject_cast<QComboBox *>(editor.get());
    QVERIFY(list && list->isEditable());
    edited.delegate.setEditorData(list, edited.value());
    QCOMPARE(list->currentText(), shown);
    QCOMPARE(list->lineEdit()->selectedText(), shown);

    const int item = list->findText(chosen);
    if (item >= 0)
        list->setCurrentIndex(item);
    else
        list->setEditText(chosen);
    edited.delegate.setModelData(list, &edited.model, edited.value());
    QCOMPARE(edited.store.blob(), rootBlob(record(key, le32(uint32_t(written)))));
}

void TestRegistryEditors::passwordEditor_data()
{
    QTest::addColumn<QString>("typed"); // in both fields
    QTest::addColumn<bool>("accepted");

    QTest::newRow("new password") << "s3cret ü" << true;
    QTest::newRow("no password") << "" << true;
    QTest::newRow("cancelled") << "s3cret" << false;
}

// Opened by the view like any editor; what it writes arrives as soon as it
// closes (the view watches the dialog's hiding), with no further click.
void TestRegistryEditors::passwordEditor()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    const QByteArray old = "$1$abcdefgh$0123456789012345678901";
    EditedValue edited(record(0x19A70005, old), &m_map);
    edited.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edited.view));
    edited.view.setCurrentIndex(edited.value());
    edited.view.edit(edited.value());
    auto *dialog = edited.view.viewport()->findChild<PasswordDialog *>();
    QVERIFY(dialog && dialog->isVisible());
    for (QLineEdit *field : dialog->findChildren<QLineEdit *>())
        field->setText(typed);
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    buttons->button(accepted ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();

    QTRY_VERIFY(edited.view.viewport()->findChild<PasswordDialog *>() == nullptr);
    uint32_t length = 0;
    const uint8_t *payload = zn::reg_get(edited.store.root, 0x19A70005, &length);
    const QByteArray stored(reinterpret_cast<const char *>(payload), length);
    if (!accepted)
        QCOMPARE(stored, old);
    else if (typed.isEmpty())
        QCOMPARE(stored, QByteArray());
    else
        QCOMPARE(md5Crypt(typed.toUtf8(), stored.left(11)), stored);
}

void TestRegistryEditors::newItemKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("key");

    QTest::newRow("item") << "0xFFA70100 - Network" << 0xFFA70100u;
    QTest::newRow("typed beside the item") << "0x02A70001 Development mode" << 0x02A70001u;
    QTest::newRow("unknown key, blanks, upper-case X") << "  0X11a7f0f0  " << 0x11A7F0F0u;
    QTest::newRow("short") << "0x01" << 0u;
    QTest::newRow("seven digits") << "0x1234567" << 0u;
    QTest::newRow("tag 0") << "0x02000000" << 0u;
    QTest::newRow("second prefix") << "0x0x123456" << 0u;
    QTest::newRow("sign") << "0x+1234567" << 0u;
    QTest::newRow("item text changed") << "0xFFA70100 - Net" << 0xFFA70100u;
}

void TestRegistryEditors::newItemKeys()
{
    QFETCH(QString, text);
    QFETCH(uint, key);

    RegistryNewItemDialog dialog;
    dialog.setTagMap(&m_map);
    auto *box = dialog.findChild<QComboBox *>();
    auto *ok = dialog.findChild<QPushButton *>("m_pb_ok");
    const int item = box->findText(text);
    if (item >= 0)
        box->setCurrentIndex(item);
    else
        box->setEditText(text);
    QCOMPARE(dialog.selectedKey(), key);
    QCOMPARE(ok->isEnabled(), key != 0);
}

void TestRegistryEditors::newItemOrder()
{
    RegistryNewItemDialog dialog;
    dialog.setTagMap(&m_map);
    auto *box = dialog.findChild<QComboBox *>();
    QCOMPARE(box->count(), int(m_map.entries().size()));
    const auto keyAt = [box](int i) { return box->itemData(i).toUInt(); };
    for (const auto &[section, value] : {std::pair{0xFFA70100u, 0x10A70100u}, {0xFFA70200u, 0x11A70200u}}) {
        const int at = box->findData(section);
        QCOMPARE(keyAt(at + 1), value);
    }
}

QTEST_MAIN(TestRegistryEditors)
#include "tst_registryeditors.moc"
