// Password hashing: MD5-crypt against known vectors, the salt rules, and
// salts from the random source. (Refusal without random bytes is tested where
// a value is stored.)
#include "password.h"

#include <QtTest>

class TestPassword : public QObject
{
    Q_OBJECT

private slots:
    void knownVectors_data();
    void knownVectors();
    void saltFromRandomBytes();
    void freshSaltEachTime();
};

void TestPassword::knownVectors_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("setting");
    QTest::addColumn<QByteArray>("hash");

    // Computed with `openssl passwd -1 -salt SALT PASSWORD`.
    const QByteArray saltsalt = "$1$saltsalt$qjXMvbEw8oaL.CzflDtaK/";
    QTest::newRow("password") << QByteArray("password") << QByteArray("$1$saltsalt") << saltsalt;
    QTest::newRow("alphabet ends") << QByteArray("Zentra") << QByteArray("$1$./AZaz09")
                                   << QByteArray("$1$./AZaz09$Vc5YV/uCzJR1XhweKpIEx1");
    QTest::newRow("utf-8") << QString::fromUtf8("p\u00E4ssw\u00F6rd").toUtf8() << QByteArray("$1$XyZ.1/23")
                           << QByteArray("$1$XyZ.1/23$Ncz.7YV9AqspLIvCaBWGO.");
    QTest::newRow("short salt") << QByteArray("ab") << QByteArray("$1$ab")
                                << QByteArray("$1$ab$lJGuN98ujPJ7AOzXLWJEU.");
    QTest::newRow("long password") << QByteArray(100, 'p') << QByteArray("$1$saltsalt")
                                   << QByteArray("$1$saltsalt$OyLGIX4pXM9VH9kKHJBYS.");
    // The prefix may be missing; at most 8 salt characters up to a "$" count.
    QTest::newRow("no prefix") << QByteArray("password") << QByteArray("saltsalt") << saltsalt;
    QTest::newRow("long salt") << QByteArray("password") << QByteArray("$1$saltsaltEXTRA") << saltsalt;
    QTest::newRow("hash as setting") << QByteArray("password") << saltsalt << saltsalt;
    QTest::newRow("salt up to $") << QByteArray("password") << QByteArray("$1$ab$cd")
                                  << QByteArray("$1$ab$oKsM6dtDD2L1bKowOBX.7.");
}

void TestPassword::knownVectors()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, setting);
    QFETCH(QByteArray, hash);
    QCOMPARE(md5Crypt(password, setting), hash);
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
    setPasswordRandomSource([](uint8_t *, size_t) { return false; });
    const std::optional<QByteArray> empty = hashPassword(QString()); // no password needs no salt
    setPasswordRandomSource(nullptr);
    QCOMPARE(hash, std::optional<QByteArray>(md5Crypt("password", "$1$./z./z.z")));
    QCOMPARE(empty, std::optional<QByteArray>(QByteArray()));
}

void TestPassword::freshSaltEachTime()
{
    const std::optional<QByteArray> first = hashPassword(QStringLiteral("same"));
    const std::optional<QByteArray> second = hashPassword(QStringLiteral("same"));
    QVERIFY(first && second);
    QVERIFY(*first != *second);
    QCOMPARE(md5Crypt("same", first->left(11)), *first);
}

QTEST_GUILESS_MAIN(TestPassword)
#include "tst_password.moc"
