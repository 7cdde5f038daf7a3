// Password hashing (MD5-crypt against known vectors, salts, refusal without
// random bytes) and the password entry dialog.
#include "password.h"
#include "passworddialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Clicks OK on the next message box and records its title and text.
class MessageBoxWatcher : public QObject
{
public:
    explicit MessageBoxWatcher(QObject *parent) : QObject(parent)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            m_timer.stop();
            box->button(QMessageBox::Ok)->click();
        });
        m_timer.start();
    }

    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;

private:
    QTimer m_timer;
};

} // namespace

class TestPassword : public QObject
{
    Q_OBJECT

private slots:
    void knownVectors_data();
    void knownVectors();
    void saltRules();
    void hashShape();
    void saltFromRandomBytes();
    void freshSaltEachTime();
    void emptyPasswordIsEmptyPayload();
    void noRandomBytesRefuses();
    void dialogLayout();
    void equalFieldsAccept_data();
    void equalFieldsAccept();
    void differentFieldsWarn();
    void cancelRejects();
};

void TestPassword::knownVectors_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QByteArray>("hash");

    // Computed with `openssl passwd -1 -salt SALT PASSWORD`.
    QTest::newRow("password") << QByteArray("password") << QByteArray("$1$saltsalt")
                              << QByteArray("$1$saltsalt$qjXMvbEw8oaL.CzflDtaK/");
    QTest::newRow("hello") << QByteArray("hello") << QByteArray("$1$abcdefgh")
                           << QByteArray("$1$abcdefgh$rwnEbRiN0agqVgZBovWNQ/");
    QTest::newRow("alphabet ends") << QByteArray("Zentra") << QByteArray("$1$./AZaz09")
                                   << QByteArray("$1$./AZaz09$Vc5YV/uCzJR1XhweKpIEx1");
    QTest::newRow("utf-8") << QString::fromUtf8("p\u00E4ssw\u00F6rd").toUtf8() << QByteArray("$1$XyZ.1/23")
                           << QByteArray("$1$XyZ.1/23$Ncz.7YV9AqspLIvCaBWGO.");
    QTest::newRow("short salt") << QByteArray("ab") << QByteArray("$1$ab")
                                << QByteArray("$1$ab$lJGuN98ujPJ7AOzXLWJEU.");
    QTest::newRow("long password") << QByteArray(100, 'p') << QByteArray("$1$saltsalt")
                                   << QByteArray("$1$saltsalt$OyLGIX4pXM9VH9kKHJBYS.");
}

void TestPassword::knownVectors()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, setting);
    QFETCH(QByteArray, hash);
    QCOMPARE(md5Crypt(password, setting), hash);
}

void TestPassword::saltRules()
{
    const QByteArray expected = "$1$saltsalt$qjXMvbEw8oaL.CzflDtaK/";
    QCOMPARE(md5Crypt("password", "saltsalt"), expected);              // prefix is optional
    QCOMPARE(md5Crypt("password", "$1$saltsaltEXTRA"), expected);      // 8 salt characters at most
    QCOMPARE(md5Crypt("password", "$1$saltsalt$ignored"), expected);   // a full hash works as setting
    QCOMPARE(md5Crypt("password", "$1$ab$cd"), QByteArray("$1$ab$oKsM6dtDD2L1bKowOBX.7."));
}

void TestPassword::hashShape()
{
    const std::optional<QByteArray> hash = hashPassword(QStringLiteral("secret"));
    QVERIFY(hash);
    QCOMPARE(hash->size(), 34);
    QVERIFY(hash->startsWith("$1$"));
    QCOMPARE(hash->at(11), '$');
    const QByteArray alphabet(kCryptAlphabet);
    QCOMPARE(alphabet.size(), 64);
    for (int i = 3; i < 34; ++i) {
        if (i != 11)
            QVERIFY2(alphabet.contains(hash->at(i)), hash->constData());
    }
    QCOMPARE(md5Crypt("secret", hash->left(11)), *hash);
}

void TestPassword::saltFromRandomBytes()
{
    // Each byte gives the alphabet character of its low six bits.
    const uint8_t bytes[8] = {0, 1, 63, 64, 65, 127, 128, 255};
    setPasswordRandomSource([&bytes](uint8_t *buffer, size_t size) {
        if (size != sizeof bytes)
            return false;
        std::copy(bytes, bytes + size, buffer);
        return true;
    });
    const std::optional<QByteArray> hash = hashPassword(QStringLiteral("password"));
    setPasswordRandomSource(nullptr);
    QVERIFY(hash);
    QCOMPARE(hash->left(12), QByteArray("$1$./z./z.z$"));
    QCOMPARE(*hash, md5Crypt("password", "$1$./z./z.z"));
}

void TestPassword::freshSaltEachTime()
{
    const std::optional<QByteArray> first = hashPassword(QStringLiteral("same"));
    const std::optional<QByteArray> second = hashPassword(QStringLiteral("same"));
    QVERIFY(first && second);
    QVERIFY(*first != *second);
}

void TestPassword::emptyPasswordIsEmptyPayload()
{
    setPasswordRandomSource([](uint8_t *, size_t) { return false; });
    const std::optional<QByteArray> hash = hashPassword(QString());
    setPasswordRandomSource(nullptr);
    QVERIFY(hash);
    QVERIFY(hash->isEmpty());
}

void TestPassword::noRandomBytesRefuses()
{
    setPasswordRandomSource([](uint8_t *, size_t) { return false; });
    const std::optional<QByteArray> hash = hashPassword(QStringLiteral("secret"));
    setPasswordRandomSource(nullptr);
    QVERIFY(!hash);
    QVERIFY(hashPassword(QStringLiteral("secret")));
}

void TestPassword::dialogLayout()
{
    PasswordDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Enter Password"));
    QCOMPARE(dialog.size(), QSize(389, 121));
    QVERIFY(!dialog.windowIcon().isNull());
    for (const char *name : {"m_le_password", "m_le_verify"}) {
        auto *edit = dialog.findChild<QLineEdit *>(name);
        QVERIFY(edit);
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        QCOMPARE(edit->minimumWidth(), 300);
        QVERIFY(edit->text().isEmpty());
    }
    auto *buttons = dialog.findChild<QDialogButtonBox *>("m_buttons");
    QVERIFY(buttons);
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(dialog.findChild<QLabel *>("m_lbl_password")->text(), QStringLiteral("Password:"));
    QCOMPARE(dialog.findChild<QLabel *>("m_lbl_verify")->text(), QStringLiteral("Verify:"));
}

void TestPassword::equalFieldsAccept_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("both empty") << QString();
    QTest::newRow("same text") << QStringLiteral("s3cr\u00E9t");
}

void TestPassword::equalFieldsAccept()
{
    QFETCH(QString, text);
    PasswordDialog dialog;
    dialog.show();
    dialog.findChild<QLineEdit *>("m_le_password")->setText(text);
    dialog.findChild<QLineEdit *>("m_le_verify")->setText(text);
    dialog.findChild<QDialogButtonBox *>("m_buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.password(), text);
}

void TestPassword::differentFieldsWarn()
{
    PasswordDialog dialog;
    dialog.show();
    dialog.findChild<QLineEdit *>("m_le_password")->setText("one");
    dialog.findChild<QLineEdit *>("m_le_verify")->setText("two");

    auto *watcher = new MessageBoxWatcher(this);
    dialog.findChild<QDialogButtonBox *>("m_buttons")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(watcher->title, QStringLiteral("Enter Password"));
    QCOMPARE(watcher->text,
             QStringLiteral("Please enter the password twice to make sure it has been entered correctly."));
    QCOMPARE(watcher->icon, QMessageBox::Warning);
    QCOMPARE(watcher->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    delete watcher;

    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.findChild<QLineEdit *>("m_le_password")->text(), QStringLiteral("one"));
    QCOMPARE(dialog.findChild<QLineEdit *>("m_le_verify")->text(), QStringLiteral("two"));
}

void TestPassword::cancelRejects()
{
    PasswordDialog dialog;
    dialog.show();
    dialog.findChild<QLineEdit *>("m_le_password")->setText("x");
    dialog.findChild<QLineEdit *>("m_le_verify")->setText("x");
    dialog.findChild<QDialogButtonBox *>("m_buttons")->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestPassword)
#include "tst_password.moc"
