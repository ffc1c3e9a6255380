#include "shell/passwordstore.h"

#include "shell/error.h"
#include "shell/inifile.h"
#include "shell/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>

namespace shell {

namespace {

const QString kKeyName = QStringLiteral("SOFTWARE\\Program\\Setup\\SDF");

// Our own scrambling constant; changing it makes every remembered password unreadable.
constexpr std::array<unsigned char, PasswordStore::blockSize> kScramble = {
    0xA6, 0x69, 0xF8, 0x80, 0x6F, 0x8E, 0x51, 0x9C, 0x60, 0xF5, 0xC7, 0x98, 0x95, 0x96, 0xD5, 0x38, 0x34,
    0xB0, 0x9E, 0x2F, 0x81, 0x9B, 0xD9, 0x70, 0x62, 0x55, 0x30, 0x58, 0xDC, 0x2A, 0xC4, 0xE6, 0x08, 0xD0,
    0xF0, 0x6D, 0x6B, 0x70, 0x6D, 0x72, 0x35, 0x85, 0x60, 0x15, 0x2F, 0x39, 0xF2, 0x46, 0x1C, 0x7E, 0xCE,
    0x74, 0x42, 0x15, 0x0E, 0xF6, 0x77, 0xDC, 0xBC, 0x9A, 0x7C, 0x1F, 0x5F, 0x2B, 0x83, 0x5F, 0x97, 0x9D,
    0x22, 0xA1, 0xBB, 0xAA, 0xF3, 0x64, 0xA0, 0xBB, 0x91, 0xC1, 0x44, 0x76, 0xDB, 0x82, 0xA5, 0x12, 0x50,
    0x42, 0xFF, 0x2F, 0xD9, 0x59, 0x22, 0x96, 0xE5, 0xC2, 0x58, 0x36, 0x3C, 0xD9, 0xE4, 0x6F, 0xC8, 0x17,
    0x4A, 0xC8, 0x65, 0x23, 0xC4, 0x58, 0xF5, 0x25, 0xF0, 0xB9, 0x4D, 0x3F, 0x2E, 0x7F, 0xAE, 0xAA, 0xC5,
    0xC7, 0xF8, 0x8C, 0x2B, 0x5B, 0x6D, 0x9F, 0x69, 0x04, 0x8E, 0xBD, 0xD5, 0x52, 0xAD, 0xF6, 0xB0, 0x5E,
    0x27, 0x19, 0x88, 0x24, 0x23, 0x37, 0x70, 0x7B, 0x39, 0x9A, 0x04, 0xC6, 0x8B, 0x67, 0x55, 0xFE, 0x3A,
    0x8C, 0x16, 0x8B, 0x8B, 0xFE, 0xE2, 0xE1, 0x39, 0x37, 0x65, 0x5E, 0xCD, 0xE3, 0xEA, 0xAD, 0xC6, 0x08,
    0x43, 0x1D, 0xF5, 0x54, 0x0B, 0x84, 0x75, 0xA7, 0x40, 0x7B, 0x3E, 0x5C, 0xF0, 0xCA, 0xE8, 0x24, 0x56,
    0x46, 0xFA, 0xC3, 0x1B, 0x8A, 0x76, 0xEF, 0x57, 0x4B, 0x80, 0xD7, 0xB0, 0xC5, 0x8C, 0x81, 0x91, 0x9E,
    0x71, 0xD8, 0xC9, 0x8D, 0x76, 0x30, 0xA0, 0x4C, 0x0B, 0x11, 0xB9, 0xCE, 0x05, 0x1A, 0x80, 0xC5, 0xEC,
    0x1F, 0x27, 0xA7, 0x42, 0xE5, 0xF9, 0x39, 0x7A, 0xF0, 0x22, 0x9B, 0x98, 0x90, 0x5A, 0xDB, 0xE5, 0x9D,
    0xEA, 0x0A, 0x9B, 0xA3, 0x76, 0xD4, 0x78, 0x2F, 0xEC, 0x14, 0x3D, 0x68, 0xDC, 0xD6, 0x01, 0x8D, 0xFA};

} // namespace

PasswordStore::PasswordStore(const QString& configDir)
    : m_path(QDir(configDir).filePath(QStringLiteral("passwords.reg")))
{
}

QByteArray PasswordStore::scramble(const QByteArray& block)
{
    QByteArray out = block;
    for (qsizetype i = 0; i < out.size() && i < blockSize; ++i)
        out[i] = char(static_cast<unsigned char>(out[i]) ^ kScramble[size_t(i)]);
    return out;
}

QString PasswordStore::checkPassword(const QString& password)
{
    QByteArray bytes;
    if (!textfile::toCp1250(password, &bytes))
        return QStringLiteral("The password holds a character that cannot be remembered; "
                              "use letters of the Polish or English alphabet, digits and punctuation.");
    if (bytes.contains('\0'))
        return QStringLiteral("The password cannot hold a zero character.");
    if (bytes.size() > maxPasswordBytes)
        return QStringLiteral("The password is too long to be remembered: at most %1 characters.")
            .arg(maxPasswordBytes);
    return {};
}

QByteArray PasswordStore::encodeBlock(const QString& password)
{
    const QString problem = checkPassword(password);
    if (!problem.isEmpty())
        throw AppError(problem);
    QByteArray block;
    textfile::toCp1250(password, &block);
    block.append(QByteArray(blockSize - block.size(), '\0'));
    return scramble(block);
}

QString PasswordStore::decodeBlock(const QByteArray& block)
{
    QByteArray plain = scramble(block.left(blockSize));
    const qsizetype zero = plain.indexOf('\0');
    if (zero >= 0)
        plain.truncate(zero);
    return textfile::fromCp1250(plain);
}

std::optional<QString> PasswordStore::read(const QString& valueName) const
{
    IniFile store;
    try {
        store.load(m_path);
    } catch (const AppError&) {
        return std::nullopt; // an unreadable store behaves like a key that does not open
    }
    const auto hex = store.value(kKeyName, valueName);
    if (!hex)
        return std::nullopt;
    return decodeBlock(QByteArray::fromHex(hex->toLatin1()));
}

void PasswordStore::store(const QString& valueName, const QString& password)
{
    const QByteArray block = encodeBlock(password);
    IniFile store;
    store.load(m_path);
    store.setValue(kKeyName, valueName, QString::fromLatin1(block.toHex()));
    write(store.text());
}

void PasswordStore::remove(const QString& valueName)
{
    if (!QFile::exists(m_path))
        return;
    IniFile store;
    store.load(m_path);
    if (store.remove(kKeyName, valueName))
        write(store.text());
}

void PasswordStore::write(const QString& text) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // The scratch file gets owner-only rights before the password goes in, and the rename keeps them.
    QSaveFile f(m_path);
    const QByteArray bytes = text.toUtf8();
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || f.write(bytes) != bytes.size() || !f.commit())
        throw AppError(QStringLiteral("Cannot write the password store %1: %2").arg(m_path, f.errorString()));
}

} // namespace shell
