// The device information dialog: the text of every field as the form shows
// it, top to bottom. Masks without a prefix length are the info lines' case.
#include "scanclientdialog.h"
#include "scanclientitem.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTimeZone>

#include <functional>

namespace {

using Edit = std::function<void(ScanClientInfo &)>;
enum Field { Title, MacField, IpField, HardwareField, SerialField, MadeField, ModeField };

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestScanClientDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("TZ", "CET-1"); }

    void fields_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, Edit edit, Field field, const char *text) {
            QTest::newRow(name) << edit << int(field) << QString::fromUtf8(text);
        };
        row("title", {}, Title, "Information about ZX-7-1737075661");
        row("prefix and gateway", {}, IpField, "192.168.1.20/24 (GW=192.168.1.1)");
        row("no address", [](ScanClientInfo &i) { i.ip = 0; }, IpField, "None");
        row("serial grouping", {}, SerialField, "01 - 23456789ABCD - EF");
        row("serial 1", [](ScanClientInfo &i) { i.serial = 1; }, SerialField, "00 - 000000000000 - 01");
        row("made, in local time", {}, MadeField, "Sat Jan 1 01:00:00 2000");
        row("mode 7", [](ScanClientInfo &i) { i.networkMode = 7; }, ModeField, "Mode #7");
        row("DHCP, development", [](ScanClientInfo &i) { i.developmentMode = 1; }, ModeField, "DHCP (DEVELOPMENT MODE)");
        row("neither reported", [](ScanClientInfo &i) { i.networkMode = i.developmentMode = -1; }, ModeField,
            "Mode #-1 (DEVELOPMENT MODE)");
    }

    void fields()
    {
        QFETCH(Edit, edit);
        QFETCH(int, field);
        QFETCH(QString, text);
        ScanClientItem item; // 192.168.1.20/24 via 192.168.1.1, "ZX-7", DHCP, development off
        item.info = {Mac(0x00123456789A), 0xC0A80114, 0xFFFFFF00, 0xC0A80101, 1, 0, 12, QStringLiteral("ZX-7"), {}, 7,
                     0x0123456789ABCDEF, QDateTime(QDate(2000, 1, 1), QTime(0, 0), QTimeZone::utc())};
        if (edit)
            edit(item.info);
        ScanClientDialog dialog;
        dialog.setClient(&item);
        QStringList shown{dialog.findChild<QGroupBox *>()->title()};
        const auto *form = dialog.findChild<QFormLayout *>();
        for (int formRow = 0; formRow < form->rowCount(); ++formRow)
            shown << qobject_cast<QLineEdit *>(form->itemAt(formRow, QFormLayout::FieldRole)->widget())->text();
        QCOMPARE(shown.at(field), text);
    }
};

QTEST_MAIN(TestScanClientDialog)
#include "tst_scanclientdialog.moc"
