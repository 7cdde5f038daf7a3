// Password values hold the MD5-crypt hash ("$1$", 8 salt characters, "$",
// 22 hash characters) of the UTF-8 password, never the password itself.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

// Fills size bytes from a cryptographic random source; false when it cannot.
using PasswordRandomSource = std::function<bool(uint8_t *buffer, size_t size)>;

// Replaces the source of salts (for tests); an empty function restores the
// operating system's generator.
void setPasswordRandomSource(PasswordRandomSource source);

// The payload for a new password: empty for an empty text (no password),
// else the 34-byte hash with a fresh salt. Nothing when no random bytes can
// be had, so that a password is never stored with a predictable salt.
std::optional<QByteArray> hashPassword(const QString &text);

// MD5-crypt of key with setting: "$1$" (added when missing) and the salt, of
// which at most 8 characters up to a "$" count. Empty on failure.
QByteArray md5Crypt(const QByteArray &key, const QByteArray &setting);

// The 64 characters of salts and hashes, index 0 to 63.
extern const char kCryptAlphabet[65];
