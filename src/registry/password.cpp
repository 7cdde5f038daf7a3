#include "password.h"

#include <QRandomGenerator>

#include <crypt.h>

#include <algorithm>
#include <cstring>
#include <memory>

const char kCryptAlphabet[65] = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

namespace {

constexpr int kSaltLength = 8;
constexpr qsizetype kHashLength = 34;
const QByteArray kMd5Prefix = QByteArrayLiteral("$1$");

bool systemRandom(uint8_t *buffer, size_t size)
{
    QRandomGenerator *generator = QRandomGenerator::system();
    for (size_t done = 0; done < size; done += sizeof(quint32)) {
        const quint32 word = generator->generate();
        std::memcpy(buffer + done, &word, std::min(sizeof word, size - done));
    }
    return true;
}

PasswordRandomSource &randomSource()
{
    static PasswordRandomSource source = systemRandom;
    return source;
}

} // namespace

void setPasswordRandomSource(PasswordRandomSource source)
{
    randomSource() = source ? std::move(source) : PasswordRandomSource(systemRandom);
}

QByteArray md5Crypt(const QByteArray &key, const QByteArray &setting)
{
    const QByteArray fullSetting = setting.startsWith(kMd5Prefix) ? setting : kMd5Prefix + setting;
    // crypt_data is large; keep it off the stack. Zeroed as crypt_rn wants.
    auto data = std::make_unique<crypt_data>();
    const char *hash = crypt_rn(key.constData(), fullSetting.constData(), data.get(), int(sizeof(crypt_data)));
    return hash ? QByteArray(hash) : QByteArray();
}

std::optional<QByteArray> hashPassword(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (utf8.isEmpty())
        return QByteArray();

    uint8_t random[kSaltLength];
    if (!randomSource()(random, sizeof random))
        return std::nullopt;
    QByteArray setting = kMd5Prefix;
    for (uint8_t byte : random)
        setting += kCryptAlphabet[byte & 63];

    const QByteArray hash = md5Crypt(utf8, setting);
    if (hash.size() != kHashLength || !hash.startsWith(setting + '$'))
        return std::nullopt;
    return hash;
}
