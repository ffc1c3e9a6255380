#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace shell {

// The remembered FTP and mail passwords, kept like two binary registry values of the key
// "SOFTWARE\Program\Setup\SDF": each a 255-byte block (the password in Windows-1250, a zero byte,
// zero padding) XOR-scrambled with the program's constant. The store is a file in the configuration
// folder that only its owner may read.
class PasswordStore {
public:
    static constexpr int blockSize = 255;
    static constexpr int maxPasswordBytes = blockSize - 1;
    static QString ftpValueName() { return QStringLiteral("0xx456"); }
    static QString mailValueName() { return QStringLiteral("0xx342"); }

    explicit PasswordStore(const QString& configDir);

    QString path() const { return m_path; }

    // nullopt when the value is absent or the store cannot be read.
    std::optional<QString> read(const QString& valueName) const;
    // Throws AppError for a password too long or with a character the block cannot hold, or when the
    // store cannot be written; the stored value is then unchanged.
    void store(const QString& valueName, const QString& password);
    // Removing an absent value is fine. Throws AppError when the store cannot be written.
    void remove(const QString& valueName);

    // Empty message when the password can be remembered.
    static QString checkPassword(const QString& password);
    // The scrambled 255-byte block; throws AppError as store() does.
    static QByteArray encodeBlock(const QString& password);
    static QString decodeBlock(const QByteArray& block);
    // XOR with the constant, position by position (its own inverse).
    static QByteArray scramble(const QByteArray& block);

private:
    void write(const QString& text) const;

    QString m_path;
};

} // namespace shell
