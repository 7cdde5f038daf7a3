// The device information dialog: the text of every field as the form shows
// it, top to bottom. Masks without a prefix length are the info lines' case.
#include "scanclientdialog.h"
#include "scanclientitem.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QTimeZone>

class TestScanClientDialog : public QObject
{
    Q_OBJECT

    // The group's title, then the fields top to bottom.
    static QStringList shown(const ScanClientInfo &info)
    {
        ScanClientItem item;
        item.info = info;
        ScanClientDialog dialog;
        dialog.setClient(&item);
        QStringList texts{dialog.findChild<QGroupBox *>()->title()};
        const auto *form = dialog.findChild<QFormLayout *>();
        for (int row = 0; row < form->rowCount(); ++row)
            texts << qobject_cast<QLineEdit *>(form->itemAt(row, QFormLayout::FieldRole)->widget())->text();
        return texts;
    }

private Q_SLOTS:
    void initTestCase() { qputenv("TZ", "CET-1"); }

    // A device with an address, prefix and gateway in DHCP mode; then one
    // without an address, with a mode that has no name, and the development
    // mode not reported (-1), which counts as on.
    void fields()
    {
        ScanClientInfo info{Mac(0x00123456789A), 0xC0A80114, 0xFFFFFF00, 0xC0A80101, 1, 0, 12, QStringLiteral("ZX-7"),
                            {}, 7, 0x0123456789ABCDEF, QDateTime(QDate(2000, 1, 1), QTime(0, 0), QTimeZone::utc())};
        QCOMPARE(shown(info), (QStringList{"Information about ZX-7-1737075661", "00:12:34:56:78:9A",
                                           "192.168.1.20/24 (GW=192.168.1.1)", "ZX-7", "01 - 23456789ABCD - EF",
                                           "Sat Jan 1 01:00:00 2000", "DHCP"}));
        info.ip = 0;
        info.serial = 1;
        info.networkMode = 7;
        info.developmentMode = -1;
        QCOMPARE(shown(info), (QStringList{"Information about ZX-7-0", "00:12:34:56:78:9A", "None", "ZX-7",
                                           "00 - 000000000000 - 01", "Sat Jan 1 01:00:00 2000",
                                           "Mode #7 (DEVELOPMENT MODE)"}));
    }
};

QTEST_MAIN(TestScanClientDialog)
#include "tst_scanclientdialog.moc"
