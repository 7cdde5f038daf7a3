// The registry editors on the offscreen platform: the Enum choice list, the
// password dialog opened by a real view, and the keys of the add-item window.
#include "password.h"
#include "passworddialog.h"
#include "registrydelegate.h"
#include "registrymodel.h"
#include "registrynewitemdialog.h"
#include "store/blobbuilder.h"
#include "tagmap.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// A view with the delegate over one value in the root.
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

// Picks the item with text, else types text.
void choose(QComboBox *box, const QString &text)
{
    const int item = box->findText(text);
    if (item >= 0)
        box->setCurrentIndex(item);
    else
        box->setEditText(text);
}

} // namespace

class TestRegistryEditors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void enumEditor_data();
    void enumEditor();
    void passwordEditor();
    void newItemKeys_data();
    void newItemKeys();

private:
    TagMap m_map;
    QTemporaryDir m_dir;
};

void TestRegistryEditors::initTestCase()
{
    // An Enum whose named values are written in hexadecimal.
    QFile file(m_dir.filePath("hex.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\"0x10A7F001\",\"Hex mode\",\n\"0x10A7F001:0x2\",\"Static\",\n\"0x10A7F001:0x1F\",\"Other\",\n");
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
    QCOMPARE(list->lineEdit()->selectedText(), shown);
    choose(list, chosen);
    edited.delegate.setModelData(list, &edited.model, edited.value());
    QCOMPARE(edited.store.blob(), rootBlob(record(key, le32(uint32_t(written)))));
}

// Opened by the view like any editor; what it writes arrives as soon as it
// closes, with no further click in the tree. Cancel writes nothing.
void TestRegistryEditors::passwordEditor()
{
    const QByteArray old = "$1$abcdefgh$0123456789012345678901";
    for (const char *button : {"Cancel", "OK"}) {
        EditedValue edited(record(0x19A70005, old), &m_map);
        edited.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edited.view));
        edited.view.edit(edited.value());
        auto *dialog = edited.view.viewport()->findChild<PasswordDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        for (QLineEdit *field : dialog->findChildren<QLineEdit *>())
            field->setText("s3cret ü");
        for (QPushButton *push : dialog->findChildren<QPushButton *>()) {
            if (push->text().remove('&') == button)
                push->click();
        }
        QTRY_VERIFY(!edited.view.viewport()->findChild<PasswordDialog *>());
        const QByteArray stored = edited.store.blob().mid(16);
        QCOMPARE(stored, button == QLatin1String("OK") ? md5Crypt("s3cret ü", stored.left(11)) : old);
    }
}

void TestRegistryEditors::newItemKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("key");

    QTest::newRow("item") << "0xFFA70100 - Network" << 0xFFA70100u;
    QTest::newRow("typed beside the item") << "0x02A70001 Development mode" << 0x02A70001u;
    QTest::newRow("unknown key, blanks, upper-case X") << "  0X11a7f0f0  " << 0x11A7F0F0u;
    QTest::newRow("seven digits") << "0x1234567" << 0u;
    QTest::newRow("tag 0") << "0x02000000" << 0u;
    QTest::newRow("second prefix") << "0x0x123456" << 0u;
}

void TestRegistryEditors::newItemKeys()
{
    QFETCH(QString, text);
    QFETCH(uint, key);

    RegistryNewItemDialog dialog;
    dialog.setTagMap(&m_map);
    auto *box = dialog.findChild<QComboBox *>();
    choose(box, text);
    QCOMPARE(dialog.selectedKey(), key);
    QCOMPARE(dialog.findChild<QPushButton *>("m_pb_ok")->isEnabled(), key != 0);
    // A section comes just before the values of its tag.
    QCOMPARE(box->itemData(box->findData(0xFFA70200u) + 1), QVariant(0x11A70200u));
}

QTEST_MAIN(TestRegistryEditors)
#include "tst_registryeditors.moc"
