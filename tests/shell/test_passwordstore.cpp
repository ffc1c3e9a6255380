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
    ProgramFolder folder() const { return ProgramFolder(tmp.filePath(QStringLiteral("prog"))); }
    void SetUp() override { QDir().mkpath(folder().data()); }
};

} // namespace

TEST(PasswordBlock, ScrambledZeroPaddedAndReversible)
{
    const QByteArray block = PasswordStore::encodeBlock(QStringLiteral("zażółć"));
    ASSERT_EQ(block.size(), PasswordStore::blockSize);
    const QByteArray plain = PasswordStore::scramble(block);
    EXPECT_EQ(plain.left(7), QByteArray("za\xBF\xF3\xB3\xE6\0", 7));
    EXPECT_EQ(plain.mid(6), QByteArray(PasswordStore::blockSize - 6, '\0')); // no stale memory
    EXPECT_NE(block.left(6), plain.left(6));
    EXPECT_EQ(PasswordStore::decodeBlock(block), QStringLiteral("zażółć"));

    const QString longest(PasswordStore::maxPasswordBytes, QLatin1Char('x'));
    EXPECT_EQ(PasswordStore::decodeBlock(PasswordStore::encodeBlock(longest)), longest);
    EXPECT_THROW(PasswordStore::encodeBlock(longest + QLatin1Char('x')), AppError);
    EXPECT_THROW(PasswordStore::encodeBlock(QStringLiteral("日本")), AppError);
    EXPECT_FALSE(PasswordStore::checkPassword(longest + QLatin1Char('x')).isEmpty());
}

TEST_F(PasswordTest, StoreIsOwnerOnlyAndNamesIgnoreCase)
{
    PasswordStore store(config());
    QDir().mkpath(config());
    store.store(QStringLiteral("0XX456"), QStringLiteral("ftp-secret"));
    store.store(PasswordStore::mailValueName(), QStringLiteral("mail-secret"));
    const auto mode = std::filesystem::status(store.path().toStdString()).permissions();
    EXPECT_EQ(mode, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(store.read(QStringLiteral("0xx456")).value_or(QString()), QStringLiteral("ftp-secret"));
    EXPECT_EQ(store.read(QStringLiteral("0XX342")).value_or(QString()), QStringLiteral("mail-secret"));
    EXPECT_FALSE(testsupport::readFile(store.path()).contains("secret"));

    // A refused password leaves the stored one alone.
    EXPECT_THROW(store.store(PasswordStore::ftpValueName(), QString(300, QLatin1Char('a'))), AppError);
    EXPECT_EQ(store.read(PasswordStore::ftpValueName()).value_or(QString()), QStringLiteral("ftp-secret"));
    store.remove(PasswordStore::ftpValueName());
    EXPECT_FALSE(store.read(PasswordStore::ftpValueName()).has_value());
    EXPECT_TRUE(store.read(PasswordStore::mailValueName()).has_value());
}

TEST_F(PasswordTest, TickUntickAndNextStart)
{
    Settings s = loadSettings(config(), folder());
    s.ftp.password = QStringLiteral("p@ss");
    saveSettings(s, config(), folder()); // box not ticked: nothing remembered
    EXPECT_TRUE(loadSettings(config(), folder()).ftp.password.isEmpty());
    EXPECT_FALSE(PasswordStore(config()).read(PasswordStore::ftpValueName()).has_value());

    s.ftp.savePassword = true;
    saveSettings(s, config(), folder());
    EXPECT_EQ(loadSettings(config(), folder()).ftp.password, QStringLiteral("p@ss"));
    EXPECT_TRUE(loadSettings(config(), folder()).mail.password.isEmpty());

    s.ftp.savePassword = false; // unticking forgets the password
    saveSettings(s, config(), folder());
    EXPECT_FALSE(PasswordStore(config()).read(PasswordStore::ftpValueName()).has_value());
    s.ftp.savePassword = true;
    s.ftp.password.clear();
    saveSettings(s, config(), folder());
    EXPECT_TRUE(loadSettings(config(), folder()).ftp.password.isEmpty());
}

TEST_F(PasswordTest, TooLongPasswordIsReportedButEverythingElseIsStored)
{
    Settings s = loadSettings(config(), folder());
    s.mail.savePassword = true;
    s.mail.password = QString(255, QLatin1Char('m'));
    s.options.title = QStringLiteral("Sklep");
    try {
        saveSettings(s, config(), folder());
        ADD_FAILURE() << "a 255-character password was accepted";
    } catch (const AppError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("254"))) << qPrintable(e.message());
    }
    EXPECT_EQ(loadSettings(config(), folder()).options.title, QStringLiteral("Sklep"));
}
