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
        const int rc =
            shell::runConfigCommand(args, config(), {&o, &e, [typedPassword] { return typedPassword; }});
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
    EXPECT_EQ(lines.size(), qsizetype(shell::settingKeys().size()));
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
    shell::PasswordStore store(config());
    EXPECT_EQ(store.read(shell::PasswordStore::ftpValueName()).value_or(QString()), QStringLiteral("tajne"));
    EXPECT_EQ(std::filesystem::status(store.path().toStdString()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(get(QStringLiteral("FTP/pasword")), QStringLiteral("1"));

    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("mail")}, QString(255, QLatin1Char('x'))), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("254")));
    EXPECT_FALSE(store.read(shell::PasswordStore::mailValueName()).has_value());

    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("ftp"), QStringLiteral("--clear")}), 0);
    EXPECT_FALSE(store.read(shell::PasswordStore::ftpValueName()).has_value());
    EXPECT_EQ(get(QStringLiteral("FTP/pasword")), QStringLiteral("0"));
    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("pop")}), 2);
}

TEST_F(ConfigCommandTest, SetRefusesWhatTheKeyCannotHoldAndNamesTheAllowedValues)
{
    writeFile(ini(), "[FTP]\r\nport=21\r\n");
    const QByteArray before = readFile(ini());
    const struct {
        const char* key;
        QString value;
        const char* inMessage;
    } refused[] = {
        {"FTP/port", QStringLiteral("abc"), "1 to 65535"},
        {"FTP/port", QStringLiteral("70000"), "1 to 65535"},
        {"Poczta/smtp", QStringLiteral("0"), "1 to 65535"},
        {"Opcje/e-mail", QStringLiteral("shop.example.com"), "e-mail address"},
        {"Opcje/e-mail", QStringLiteral("a@b@c.pl"), "e-mail address"},
        {"Opcje/e-mail", QStringLiteral("a b@c.pl"), "e-mail address"},
        {"Opcje/kolumny", QStringLiteral("6"), "5 = 6 columns"},
        {"Opcje/wyrownanie", QStringLiteral("-1"), "0 = "},
        {"Opcje/imageWidt", QStringLiteral("0"), "1 to 2000"},
        {"Font/margines", QStringLiteral("31"), "0 to 30"},
        // A line break would start a section of its own in the file.
        {"FTP/host", QStringLiteral("ftp.example.com\r\n[FTP]\r\nhost=evil"), "line breaks"},
        {"Opcje/title", QStringLiteral("a\nb"), "line breaks"},
        {"Opcje/title", QStringLiteral("a") + QChar(0) + QStringLiteral("b"), "NUL"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(run({QStringLiteral("set"), QString::fromLatin1(r.key), r.value}), 2) << r.key;
        EXPECT_TRUE(err.contains(QLatin1String(r.inMessage))) << r.key << ": " << qPrintable(err);
    }
    EXPECT_EQ(readFile(ini()), before);

    EXPECT_EQ(run({QStringLiteral("set"), QStringLiteral("FTP/port"), QStringLiteral("2121")}), 0);
    EXPECT_EQ(
        run({QStringLiteral("set"), QStringLiteral("Opcje/e-mail"), QStringLiteral("sklep@firma.com.pl")}),
        0);
    EXPECT_EQ(get(QStringLiteral("FTP/port")), QStringLiteral("2121"));
}

TEST_F(ConfigCommandTest, EmptyPasswordOnlyWhenAskedFor)
{
    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("ftp")}, QString()), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("--empty")));
    shell::PasswordStore store(config());
    EXPECT_FALSE(store.read(shell::PasswordStore::ftpValueName()).has_value());
    EXPECT_EQ(run({QStringLiteral("password"), QStringLiteral("ftp"), QStringLiteral("--empty")}, QString()),
              0)
        << qPrintable(err);
    EXPECT_EQ(get(QStringLiteral("FTP/pasword")), QStringLiteral("1"));
}

// Files other programs leave: NUL bytes, UTF-16. Reading must see every key, and a change must never
// throw away what was not understood.
TEST_F(ConfigCommandTest, NulBytesAndUtf16NeverEraseTheSettings)
{
    const QByteArray withNul = QByteArray("[Opcje]\r\ntitle=Sklep\r\n", 22) + QByteArray(1, '\0')
                               + "\r\n[FTP]\r\nhost=ftp.sklep.pl\r\nuser=jan\r\n";
    const QString utf16Text =
        QStringLiteral("[Opcje]\r\ntitle=Sklep\r\n[FTP]\r\nhost=ftp.sklep.pl\r\nuser=jan\r\n");
    QByteArray utf16("\xFF\xFE");
    for (const QChar c : utf16Text) {
        utf16 += char(c.unicode() & 0xFF);
        utf16 += char(c.unicode() >> 8);
    }
    for (const QByteArray& original : {withNul, utf16}) {
        writeFile(ini(), original);
        QFile::remove(ini() + QStringLiteral(".bak"));
        EXPECT_EQ(get(QStringLiteral("FTP/host")), QStringLiteral("ftp.sklep.pl"));
        ASSERT_EQ(run({QStringLiteral("set"), QStringLiteral("FTP/port"), QStringLiteral("2121")}), 0);
        EXPECT_EQ(get(QStringLiteral("FTP/host")), QStringLiteral("ftp.sklep.pl"));
        EXPECT_EQ(get(QStringLiteral("FTP/user")), QStringLiteral("jan"));
        EXPECT_EQ(get(QStringLiteral("Opcje/title")), QStringLiteral("Sklep"));
        EXPECT_EQ(readFile(ini() + QStringLiteral(".bak")), original);
        ASSERT_EQ(run({QStringLiteral("password"), QStringLiteral("ftp")}, QStringLiteral("x")), 0);
        EXPECT_EQ(get(QStringLiteral("FTP/user")), QStringLiteral("jan"));
    }
}
