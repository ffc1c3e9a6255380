#include "shell/error.h"
#include "shell/passwordstore.h"
#include "shell/settings.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct PasswordTest : ::testing::Test {
    QTemporaryDir tmp;
    QString config() const { return tmp.filePath(QStringLiteral("cfg")); }
    shell::ProgramFolder folder() const { return shell::ProgramFolder(tmp.filePath(QStringLiteral("prog"))); }
    void SetUp() override { QDir().mkpath(folder().data()); }
};

} // namespace

TEST(PasswordBlock, ScrambledZeroPaddedAndReversible)
{
    const QByteArray block = shell::PasswordStore::encodeBlock(QStringLiteral("zażółć"));
    ASSERT_EQ(block.size(), shell::PasswordStore::blockSize);
    const QByteArray plain = shell::PasswordStore::scramble(block);
    EXPECT_EQ(plain.left(7), QByteArray("za\xBF\xF3\xB3\xE6\0", 7));
    EXPECT_EQ(plain.mid(6), QByteArray(shell::PasswordStore::blockSize - 6, '\0')); // no stale memory
    EXPECT_NE(block.left(6), plain.left(6));
    EXPECT_EQ(shell::PasswordStore::decodeBlock(block), QStringLiteral("zażółć"));

    const QString longest(shell::PasswordStore::maxPasswordBytes, QLatin1Char('x'));
    EXPECT_EQ(shell::PasswordStore::decodeBlock(shell::PasswordStore::encodeBlock(longest)), longest);
    EXPECT_THROW(shell::PasswordStore::encodeBlock(longest + QLatin1Char('x')), shell::AppError);
    EXPECT_THROW(shell::PasswordStore::encodeBlock(QStringLiteral("日本")), shell::AppError);
    EXPECT_FALSE(shell::PasswordStore::checkPassword(longest + QLatin1Char('x')).isEmpty());
}

TEST_F(PasswordTest, StoreIsOwnerOnlyAndNamesIgnoreCase)
{
    shell::PasswordStore store(config());
    QDir().mkpath(config());
    store.store(QStringLiteral("0XX456"), QStringLiteral("ftp-secret"));
    store.store(shell::PasswordStore::mailValueName(), QStringLiteral("mail-secret"));
    const auto mode = std::filesystem::status(store.path().toStdString()).permissions();
    EXPECT_EQ(mode, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(store.read(QStringLiteral("0xx456")).value_or(QString()), QStringLiteral("ftp-secret"));
    EXPECT_EQ(store.read(QStringLiteral("0XX342")).value_or(QString()), QStringLiteral("mail-secret"));
    EXPECT_FALSE(testsupport::readFile(store.path()).contains("secret"));

    // A refused password leaves the stored one alone.
    EXPECT_THROW(store.store(shell::PasswordStore::ftpValueName(), QString(300, QLatin1Char('a'))),
                 shell::AppError);
    EXPECT_EQ(store.read(shell::PasswordStore::ftpValueName()).value_or(QString()),
              QStringLiteral("ftp-secret"));
    store.remove(shell::PasswordStore::ftpValueName());
    EXPECT_FALSE(store.read(shell::PasswordStore::ftpValueName()).has_value());
    EXPECT_TRUE(store.read(shell::PasswordStore::mailValueName()).has_value());
}

TEST_F(PasswordTest, TickUntickAndNextStart)
{
    shell::Settings s = shell::loadSettings(config(), folder());
    s.ftp.password = QStringLiteral("p@ss");
    shell::saveSettings(s, config(), folder()); // box not ticked: nothing remembered
    EXPECT_TRUE(shell::loadSettings(config(), folder()).ftp.password.isEmpty());
    EXPECT_FALSE(shell::PasswordStore(config()).read(shell::PasswordStore::ftpValueName()).has_value());

    s.ftp.savePassword = true;
    shell::saveSettings(s, config(), folder());
    EXPECT_EQ(shell::loadSettings(config(), folder()).ftp.password, QStringLiteral("p@ss"));
    EXPECT_TRUE(shell::loadSettings(config(), folder()).mail.password.isEmpty());

    s.ftp.savePassword = false; // unticking forgets the password
    shell::saveSettings(s, config(), folder());
    EXPECT_FALSE(shell::PasswordStore(config()).read(shell::PasswordStore::ftpValueName()).has_value());
    s.ftp.savePassword = true;
    s.ftp.password.clear();
    shell::saveSettings(s, config(), folder());
    EXPECT_TRUE(shell::loadSettings(config(), folder()).ftp.password.isEmpty());
}

TEST_F(PasswordTest, TooLongPasswordIsReportedButEverythingElseIsStored)
{
    shell::Settings s = shell::loadSettings(config(), folder());
    s.mail.savePassword = true;
    s.mail.password = QString(255, QLatin1Char('m'));
    s.options.title = QStringLiteral("Sklep");
    try {
        shell::saveSettings(s, config(), folder());
        ADD_FAILURE() << "a 255-character password was accepted";
    } catch (const shell::AppError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("254"))) << qPrintable(e.message());
    }
    EXPECT_EQ(shell::loadSettings(config(), folder()).options.title, QStringLiteral("Sklep"));
}
