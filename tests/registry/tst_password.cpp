// Password hashing: MD5-crypt against `openssl passwd -1`, the salt setting
// rules, and salts from the random source. (Refusal without random bytes is
// tested where a value is stored.)
#include "password.h"

#include <QtTest>

class TestPassword : public QObject
{
    Q_OBJECT

private slots:
    void settings_data()
    {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QByteArray>("hash"); // of "password"

        // The prefix may be missing; at most 8 salt characters up to a "$" count.
        const QByteArray saltsalt = "$1$saltsalt$qjXMvbEw8oaL.CzflDtaK/";
        QTest::newRow("prefix") << QByteArray("$1$saltsalt") << saltsalt;
        QTest::newRow("no prefix") << QByteArray("saltsalt") << saltsalt;
        QTest::newRow("long salt") << QByteArray("$1$saltsaltEXTRA") << saltsalt;
        QTest::newRow("hash as setting") << saltsalt << saltsalt;
        QTest::newRow("salt up to $") << QByteArray("$1$ab$cd") << QByteArray("$1$ab$oKsM6dtDD2L1bKowOBX.7.");
    }

    void settings()
    {
        QFETCH(QByteArray, setting);
        QFETCH(QByteArray, hash);
        QCOMPARE(md5Crypt("password", setting), hash);
    }

    void saltFromRandomBytes()
    {
        // Each byte gives the alphabet character of its low six bits; the text is hashed as UTF-8.
        const uint8_t bytes[8] = {0, 1, 63, 64, 65, 127, 128, 255};
        setPasswordRandomSource([&bytes](uint8_t *buffer, size_t size) {
            std::copy(bytes, bytes + std::min(size, sizeof bytes), buffer);
            return size == sizeof bytes;
        });
        const std::optional<QByteArray> hash = hashPassword(QString::fromUtf8("p\u00E4ssw\u00F6rd"));
        setPasswordRandomSource([](uint8_t *, size_t) { return false; });
        const std::optional<QByteArray> empty = hashPassword(QString()); // no password needs no salt
        setPasswordRandomSource(nullptr);
        QCOMPARE(hash, std::optional<QByteArray>("$1$./z./z.z$41w4RDzXcdN197QpPQSF3/"));
        QCOMPARE(empty, std::optional<QByteArray>(QByteArray()));
    }

    void freshSaltEachTime()
    {
        const std::optional<QByteArray> first = hashPassword(QStringLiteral("same"));
        const std::optional<QByteArray> second = hashPassword(QStringLiteral("same"));
        QVERIFY(first && second && *first != *second);
        QCOMPARE(md5Crypt("same", first->left(11)), *first);
    }
};

QTEST_GUILESS_MAIN(TestPassword)
#include "tst_password.moc"
