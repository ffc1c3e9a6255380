#include "shell/passwordstore.h"
#include "shell/settingscommand.h"
#include "shell/settingskeys.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct ConfigCommandTest : ::testing::Test {
    QTemporaryDir tmp;
    QString out, err;
    QString config() const { return tmp.filePath(QStringLiteral("cfg")); }
    QString ini() const { return config() + QStringLiteral("/KVO.INI"); }

    int run(const QStringList& args, const QString& typedPassword = {})
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int rc = runConfigCommand(args, config(), {&o, &e, [typedPassword] { return typedPassword; }});
        o.flush();
        e.flush();
        return rc;
    }
    QString get(const QString& key)
    {
        EXPECT_EQ(run({QStringLiteral("get"), key}), 0) << qPrintable(err);
        return out.trimmed();
    }
};

} // namespace

TEST_F(ConfigCommandTest, ListShowsEveryKeyWithItsEffectiveValue)
{
    writeFile(ini(), "[Opcje]\r\nkolumny=1\r\n");
    ASSERT_EQ(run({QStringLiteral("list")}), 0);
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), qsizetype(settingKeys().size()));
    EXPECT_TRUE(lines.contains(QStringLiteral("Opcje/kolumny=1")));
    EXPECT_TRUE(lines.contains(QStringLiteral("FTP/port=21")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Faktury/Format=mm\"/\"yyyy")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Linki/P30=")));
    EXPECT_EQ(get(QStringLiteral("opcje/KOLUMNY")), QStringLiteral("1"));
}

TEST_F(ConfigCommandTest, SetChecksTypesAndKeepsForeignKeys)
{
    writeFile(ini(), "[Mine]\r\nx=1\r\n[Opcje]\r\nfoo=bar\r\n");
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Font/kolor"), QStringLiteral("#FF8040")}), 0);
    EXPECT_EQ(get(QStringLiteral("Font/kolor")), QString::number(0x4080FF));
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("FTP/pasywny"), QStringLiteral("true")}), 0);
    EXPECT_EQ(get(QStringLiteral("FTP/pasywny")), QStringLiteral("1"));
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Faktury/Sprzedaz"), QStringLiteral("yy\"-\"mm")}),
              0);
    EXPECT_EQ(get(QStringLiteral("Faktury/Sprzedaz")), QStringLiteral("yy\"-\"mm"));

    const QByteArray before = readFile(ini());
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Opcje/kolumny"), QStringLiteral("6")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("Opcje/kolumny")));
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Opcje/imageWidt"), QStringLiteral("wide")}), 2);
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Font/kolor"), QStringLiteral("red")}), 2);
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Opcje/bogus"), QStringLiteral("1")}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("Unknown setting")));
    EXPECT_EQ(run({QStringLiteral("get"), QStringLiteral("Nope/x")}), 2);
    EXPECT_EQ(run({QStringLiteral("frobnicate")}), 2);
    EXPECT_EQ(readFile(ini()), before); // refused values change nothing

    EXPECT_TRUE(before.contains("[Mine]\r\nx=1"));
    EXPECT_TRUE(before.contains("foo=bar"));
}

TEST_F(ConfigCommandTest, PresetColourNote)
{
    run({QStringLiteral("set"), QStringLiteral("Opcje/Styl"), QStringLiteral("2")});
    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("Opcje/kolormenu"), QStringLiteral("0")}), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("preset")));
    EXPECT_EQ(get(QStringLiteral("Opcje/kolormenu")), QString::number(0xDBDBDB));
}

TEST_F(ConfigCommandTest, PasswordGoesToTheOwnerOnlyStore)
{
    ASSERT_EQ(run({QStringLiteral("password"), QStringLiteral("ftp")}, QStringLiteral("tajne")), 0)
        << qPrintable(err);
    PasswordStore store(config());
    EXPECT_EQ(store.read(PasswordStore::ftpValueName()).value_or(QString()), QStringLiteral("tajne"));
    EXPECT_EQ(std::filesystem::status(store.path().toStdString()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(get(QStringLiteral("FTP/pasword")), QStringLiteral("1"));

    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("mail")}, QString(255, QLatin1Char('x'))), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("254")));
    EXPECT_FALSE(store.read(PasswordStore::mailValueName()).has_value());

    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("ftp"), QStringLiteral("--clear")}), 0);
    EXPECT_FALSE(store.read(PasswordStore::ftpValueName()).has_value());
    EXPECT_EQ(get(QStringLiteral("FTP/pasword")), QStringLiteral("0"));
    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("pop")}), 2);
}
