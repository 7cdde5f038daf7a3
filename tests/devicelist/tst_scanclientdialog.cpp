// The device information dialog: the text of every field, its buttons, and
// its closing when the device record goes.
#include "scanclientdialog.h"
#include "scanclientitem.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

#include <functional>

namespace {

using Edit = std::function<void(ScanClientInfo &)>;

// 192.168.1.20/24 via 192.168.1.1, board 12 "ZX-7", DHCP, development off.
ScanClientItem *device()
{
    auto *item = new ScanClientItem;
    ScanClientInfo &info = item->info;
    info.mac = Mac(0x00123456789A);
    info.ip = 0xC0A80114;
    info.netmask = 0xFFFFFF00;
    info.gateway = 0xC0A80101;
    info.networkMode = 1;
    info.developmentMode = 0;
    info.board = 12;
    info.boardName = QStringLiteral("ZX-7");
    info.serial = 0x0123456789ABCDEF;
    info.made = QDateTime(QDate(2000, 1, 1), QTime(0, 0), QTimeZone::utc());
    return item;
}

// The title, then the fields as the form shows them, top to bottom.
QStringList shown(const ScanClientDialog &dialog)
{
    QStringList texts{dialog.findChild<QGroupBox *>()->title()};
    const auto *form = dialog.findChild<QFormLayout *>();
    for (int row = 0; row < form->rowCount(); ++row)
        texts << qobject_cast<QLineEdit *>(form->itemAt(row, QFormLayout::FieldRole)->widget())->text();
    return texts;
}

enum Field { Title, MacField, IpField, HardwareField, SerialField, MadeField, ModeField };

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestScanClientDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TZ", "CET-1");
        qRegisterMetaType<ScanClientItem *>();
    }

    void fields_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("title") << Edit() << int(Title) << "Information about ZX-7-1737075661";
        QTest::newRow("title without board name") << Edit([](ScanClientInfo &i) { i.boardName.clear(); }) << int(Title)
                                                  << "Information about 12-1737075661";
        QTest::newRow("MAC") << Edit() << int(MacField) << "00:12:34:56:78:9A";
        QTest::newRow("prefix and gateway") << Edit() << int(IpField) << "192.168.1.20/24 (GW=192.168.1.1)";
        QTest::newRow("mask with a hole, no gateway")
            << Edit([](ScanClientInfo &i) { i.netmask = 0xFF00FF00, i.gateway = 0; }) << int(IpField)
            << "192.168.1.20/255.0.255.0";
        QTest::newRow("mask 0.0.0.0") << Edit([](ScanClientInfo &i) { i.netmask = 0; }) << int(IpField)
                                      << "192.168.1.20/0.0.0.0 (GW=192.168.1.1)";
        QTest::newRow("prefix 7 is too short") << Edit([](ScanClientInfo &i) { i.netmask = 0xFE000000; }) << int(IpField)
                                               << "192.168.1.20/254.0.0.0 (GW=192.168.1.1)";
        QTest::newRow("no address") << Edit([](ScanClientInfo &i) { i.ip = 0; }) << int(IpField) << "None";
        QTest::newRow("board name only") << Edit([](ScanClientInfo &i) { i.board = 99; }) << int(HardwareField) << "ZX-7";
        QTest::newRow("serial grouping") << Edit() << int(SerialField) << "01 - 23456789ABCD - EF";
        QTest::newRow("serial 1") << Edit([](ScanClientInfo &i) { i.serial = 1; }) << int(SerialField)
                                  << "00 - 000000000000 - 01";
        QTest::newRow("made, local time") << Edit() << int(MadeField) << "Sat Jan 1 01:00:00 2000";
        QTest::newRow("disabled") << Edit([](ScanClientInfo &i) { i.networkMode = 0; }) << int(ModeField)
                                  << "Networking disabled";
        QTest::newRow("static") << Edit([](ScanClientInfo &i) { i.networkMode = 2; }) << int(ModeField)
                                << "Static Address";
        QTest::newRow("mode 7") << Edit([](ScanClientInfo &i) { i.networkMode = 7; }) << int(ModeField) << "Mode #7";
        QTest::newRow("DHCP, development") << Edit([](ScanClientInfo &i) { i.developmentMode = 1; }) << int(ModeField)
                                           << "DHCP (DEVELOPMENT MODE)";
        QTest::newRow("neither reported") << Edit([](ScanClientInfo &i) { i.networkMode = i.developmentMode = -1; })
                                          << int(ModeField) << "Mode #-1 (DEVELOPMENT MODE)";
    }

    void fields()
    {
        QFETCH(Edit, edit);
        QFETCH(int, field);
        QFETCH(QString, text);
        std::unique_ptr<ScanClientItem> item(device());
        if (edit)
            edit(item->info);
        ScanClientDialog dialog;
        dialog.setClient(item.get());
        QCOMPARE(shown(dialog).at(field), text);
    }

    // Buzz, Reset and Configure name the device and leave the dialog open;
    // once the record is destroyed the dialog closes and they name nobody.
    void buttonsNameTheDeviceUntilItGoes()
    {
        QPointer<ScanClientItem> item = device();
        ScanClientDialog dialog;
        dialog.setClient(item);
        QSignalSpy buzz(&dialog, qOverload<ScanClientItem *>(&ScanClientDialog::buzzClient));
        QSignalSpy reset(&dialog, qOverload<ScanClientItem *>(&ScanClientDialog::resetClient));
        QSignalSpy browser(&dialog, qOverload<ScanClientItem *>(&ScanClientDialog::openBrowser));
        const auto clickCommands = [&dialog] {
            for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
                if (!button->isDefault())
                    button->click();
            }
        };
        QTimer::singleShot(0, &dialog, [&] {
            clickCommands();
            QVERIFY(dialog.isVisible());
            delete item.data();
        });
        QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(QDialog::Accepted); }); // not closed: fail, not hang
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        clickCommands();
        for (QSignalSpy *spy : {&buzz, &reset, &browser}) {
            QCOMPARE(spy->size(), 2);
            QVERIFY(spy->at(0).at(0).value<ScanClientItem *>() != nullptr);
            QCOMPARE(spy->at(1).at(0).value<ScanClientItem *>(), nullptr);
        }
    }
};

QTEST_MAIN(TestScanClientDialog)
#include "tst_scanclientdialog.moc"
