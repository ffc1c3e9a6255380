#include "shell/error.h"
#include "shell/settings.h"
#include "shell/settingskeys.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct SettingsTest : ::testing::Test {
    QTemporaryDir tmp;
    QString config() const { return tmp.filePath(QStringLiteral("config")); }
    shell::ProgramFolder folder() const { return shell::ProgramFolder(tmp.filePath(QStringLiteral("prog"))); }
    QString iniPath() const { return config() + QStringLiteral("/KVO.INI"); }
    void SetUp() override { QDir().mkpath(folder().data()); }
    void writeIni(const QByteArray& text) { writeFile(iniPath(), text); }
};

// A value that differs from the default and is valid for the key.
QString otherValue(const shell::SettingKey& key, const shell::Settings& defaults, int n)
{
    const QString def = shell::storedText(key, defaults);
    switch (key.type) {
    case shell::SettingType::Boolean:
        return def == QStringLiteral("1") ? QStringLiteral("0") : QStringLiteral("1");
    case shell::SettingType::Color:
        return QString::number(0x102030 + n);
    case shell::SettingType::Integer:
        if (key.choiceCount > 0)
            return QString::number((def.toInt() + 1 + key.choiceCount) % key.choiceCount);
        return QString::number(def.toInt() + 7);
    case shell::SettingType::String:
        return QStringLiteral("wartość %1 ąę \"x\"").arg(n);
    }
    return {};
}

} // namespace

TEST_F(SettingsTest, EmptyFileGivesEveryDefault)
{
    QFile ini(iniPath());
    ASSERT_TRUE(QDir().mkpath(config()) && ini.open(QIODevice::WriteOnly));
    ini.close();
    const shell::Settings loaded = shell::loadSettings(config(), folder());
    shell::Settings defaults;
    defaults.font.family = shell::firstInstalledFont();
    for (const shell::SettingKey& key : shell::settingKeys())
        EXPECT_EQ(shell::storedText(key, loaded), shell::storedText(key, defaults)) << qPrintable(key.name());
    EXPECT_EQ(loaded.options.stylePreset, -1);
    EXPECT_EQ(loaded.options.theme, 0);
    EXPECT_FALSE(loaded.ftp.tls);
    EXPECT_EQ(loaded.options.columnCount(), 4);
    EXPECT_EQ(loaded.options.menuHighlightColor, 0x800000); // navy as blue*65536
    EXPECT_EQ(loaded.invoice.numberFormat, QStringLiteral("mm\"/\"yyyy"));
}

TEST_F(SettingsTest, MissingFileGivesFreshInstallationDefaults)
{
    const shell::Settings loaded = shell::loadSettings(config(), folder());
    // TLS, the modern pages and a style whose header and cart buttons exist
    EXPECT_TRUE(loaded.ftp.tls);
    EXPECT_EQ(loaded.options.theme, 1);
    EXPECT_EQ(loaded.options.stylePreset, 0);
    shell::Settings styled;
    shell::applyStylePreset(styled, 0);
    EXPECT_EQ(loaded.options.menuHighlightColor, styled.options.menuHighlightColor);
    EXPECT_FALSE(QFile::exists(iniPath())); // loading writes nothing
}

TEST_F(SettingsTest, EveryKeyRoundTripsThroughTheFile)
{
    const shell::Settings defaults;
    shell::Settings changed;
    int n = 0;
    for (const shell::SettingKey& key : shell::settingKeys()) {
        if (key.name() == QStringLiteral("Opcje/Styl"))
            continue; // a preset would replace the colours; covered on its own
        ASSERT_TRUE(shell::readStoredText(key, otherValue(key, defaults, ++n), changed))
            << qPrintable(key.name());
    }
    shell::saveSettings(changed, config(), folder());
    const shell::Settings loaded = shell::loadSettings(config(), folder());
    for (const shell::SettingKey& key : shell::settingKeys()) {
        EXPECT_EQ(shell::storedText(key, loaded), shell::storedText(key, changed)) << qPrintable(key.name());
        if (key.name() != QStringLiteral("Opcje/Styl")) {
            EXPECT_NE(shell::storedText(key, loaded), shell::storedText(key, defaults))
                << qPrintable(key.name());
        }
    }
    // Written in the file's order, Polish letters in Windows-1250, CR LF line ends.
    const QByteArray bytes = readFile(iniPath());
    EXPECT_LT(bytes.indexOf("[Faktury]"), bytes.indexOf("[Font]"));
    EXPECT_LT(bytes.indexOf("[FTP]"), bytes.indexOf("[Linki]"));
    EXPECT_TRUE(bytes.contains("\r\n"));
    EXPECT_TRUE(bytes.contains("warto\xB6\xE6") || bytes.contains("warto\x9C\xE6"));
}

TEST_F(SettingsTest, ProfileReadingRules)
{
    writeIni("[opcje]\r\nKOLUMNY=1\r\nimageWidt= 200 \r\nimageHeight=abc\r\ncennik=0\r\nlinki=5\r\n"
             "otaczanie=7\r\nwyrownanie=-1\r\npromocja=2\r\nStyl=9\r\n"
             "[Faktury]\r\nFormat=yy\"-\"mm\r\nWydruk=12\r\nArchiwizacja=true\r\n"
             "[FONT]\r\nkolor=$FF\r\n");
    const shell::Settings s = shell::loadSettings(config(), folder());
    EXPECT_EQ(s.options.columnsIndex, 1); // names regardless of case
    EXPECT_EQ(s.options.imageWidth, 200);
    EXPECT_EQ(s.options.imageHeight, 120); // not a number: default
    EXPECT_FALSE(s.options.includePriceList);
    EXPECT_TRUE(s.options.includeLinks); // any non-zero integer is true
    EXPECT_EQ(s.options.textFlow, 1);    // outside its list: default
    EXPECT_EQ(s.options.headerAlignment, 0);
    EXPECT_EQ(s.options.promotionMarker, 2);
    EXPECT_EQ(s.options.stylePreset, -1);
    EXPECT_EQ(s.invoice.numberFormat, QStringLiteral("yy\"-\"mm")); // verbatim
    EXPECT_EQ(s.invoice.printForm, 0);
    EXPECT_FALSE(s.invoice.autoArchive); // "true" is not an integer
    EXPECT_EQ(s.font.color, 255);
}

TEST_F(SettingsTest, UnknownKeysSectionsAndCommentsSurviveAStore)
{
    writeIni("; kept comment\r\n[Mine]\r\nfoo=bar baz\r\n[Opcje]\r\nExtra=1\r\nKolumny=0\r\n");
    shell::Settings s = shell::loadSettings(config(), folder());
    s.options.columnsIndex = 5;
    shell::saveSettings(s, config(), folder());
    const QByteArray bytes = readFile(iniPath());
    EXPECT_TRUE(bytes.contains("; kept comment"));
    EXPECT_TRUE(bytes.contains("[Mine]\r\nfoo=bar baz"));
    EXPECT_TRUE(bytes.contains("Extra=1"));
    EXPECT_TRUE(bytes.contains("Kolumny=5")); // the existing spelling is kept, not duplicated
    EXPECT_FALSE(bytes.contains("kolumny="));
}

TEST_F(SettingsTest, GarbageFileGivesDefaultsAndIsKeptAside)
{
    const QByteArray garbage("\x01\x02 this is not an ini file \xFF\xFE\r\n<<<\r\n");
    writeIni(garbage);
    shell::Settings s = shell::loadSettings(config(), folder());
    EXPECT_EQ(s.options.columnsIndex, 3);
    shell::saveSettings(s, config(), folder());
    EXPECT_EQ(readFile(iniPath() + QStringLiteral(".bak")), garbage);
    EXPECT_EQ(shell::loadSettings(config(), folder()).options.imageWidth, 160);
}

TEST_F(SettingsTest, PresetReplacesStoredColoursAtNextStart)
{
    shell::Settings s = shell::loadSettings(config(), folder());
    s.options.stylePreset = 1; // Ocean
    s.font.color = 0x123456;
    s.options.menuColor = 0x123456;
    s.options.menuHighlightColor = 0x123456;
    shell::saveSettings(s, config(), folder());
    EXPECT_TRUE(readFile(iniPath()).contains("kolor=1193046"));
    const shell::Settings next = shell::loadSettings(config(), folder());
    EXPECT_EQ(next.font.color, shell::colorFromRgb(0, 0, 0));
    EXPECT_EQ(next.options.menuColor, shell::colorFromRgb(0xE4, 0xF2, 0xF2));
    EXPECT_EQ(next.options.menuHighlightColor, shell::colorFromRgb(0x94, 0xCD, 0xCD));
    EXPECT_EQ(next.lineColor, shell::colorFromRgb(0x94, 0xCD, 0xCD));
    EXPECT_EQ(next.headerColor, shell::colorFromRgb(0xE4, 0xF2, 0xF2));
}

TEST_F(SettingsTest, EachTextFileLoadsOnItsOwn)
{
    const shell::ProgramFolder f = folder();
    writeFile(f.dataFile(QStringLiteral("powitanie.txt")), "Witamy\r\nw sklepie\r\n");
    writeFile(f.dataFile(QStringLiteral("klucze.txt")), "buty, \xB3y\xBFwy\r\n");
    writeFile(f.program() + QStringLiteral("/certyfikaty.txt"), "ISO 9001\r\n");
    // opis.txt and regulamin.txt are missing.
    shell::Settings s = shell::loadSettings(config(), f);
    EXPECT_EQ(s.welcomeText, QStringLiteral("Witamy\nw sklepie"));
    EXPECT_EQ(s.metaKeywords, QStringLiteral("buty, łyżwy"));
    EXPECT_EQ(s.certificates, QStringLiteral("ISO 9001"));
    EXPECT_TRUE(s.infoText.isEmpty());
    EXPECT_TRUE(s.metaDescription.isEmpty());

    s.infoText = QStringLiteral("O nas\n\nDruga linia");
    s.metaDescription = QStringLiteral("ignored: only a copy of opis.txt");
    shell::saveSettings(s, config(), f);
    EXPECT_EQ(readFile(f.dataFile(QStringLiteral("powitanie.txt"))), QByteArray("Witamy\r\nw sklepie\r\n"));
    EXPECT_EQ(readFile(f.dataFile(QStringLiteral("opis.txt"))), QByteArray("O nas\r\n\r\nDruga linia\r\n"));
    const shell::Settings next = shell::loadSettings(config(), f);
    EXPECT_EQ(next.infoText, s.infoText);
    EXPECT_EQ(next.metaDescription, s.infoText);
    EXPECT_EQ(next.certificates, QStringLiteral("ISO 9001"));
}

TEST_F(SettingsTest, UnreadableTextFileIsNotOverwritten)
{
    // A folder where the text file should be cannot be read by anyone, root included.
    const QString path = folder().dataFile(QStringLiteral("regulamin.txt"));
    ASSERT_TRUE(QDir().mkpath(path));
    writeFile(path + QStringLiteral("/kept.txt"), "Regulamin\r\n");
    shell::Settings s = shell::loadSettings(config(), folder());
    EXPECT_TRUE(s.unreadableTextFiles.contains(path));
    s.regulationText = QStringLiteral("new terms");
    EXPECT_NO_THROW(shell::saveSettings(s, config(), folder()));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(readFile(path + QStringLiteral("/kept.txt")), QByteArray("Regulamin\r\n"));
}

TEST(SettingsFolder, OverrideThenEnvironmentThenXdg)
{
    qputenv("KALMENOR_CONFIG_DIR", "/tmp/from-env");
    EXPECT_EQ(shell::configFolder(QStringLiteral("/tmp/given")), QStringLiteral("/tmp/given"));
    EXPECT_EQ(shell::configFolder(), QStringLiteral("/tmp/from-env"));
    qunsetenv("KALMENOR_CONFIG_DIR");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg");
    EXPECT_EQ(shell::configFolder(), QStringLiteral("/tmp/xdg/Kalmenor"));
}

TEST(SettingsUserText, TypesAreChecked)
{
    shell::Settings s;
    EXPECT_TRUE(shell::readUserText(*shell::findSettingKey(QStringLiteral("font/KOLOR")),
                                    QStringLiteral("#FF8040"), s)
                    .isEmpty());
    EXPECT_EQ(s.font.color, 0x4080FF);
    EXPECT_FALSE(shell::readUserText(*shell::findSettingKey(QStringLiteral("Font/kolor")),
                                     QStringLiteral("#GG0000"), s)
                     .isEmpty());
    EXPECT_FALSE(
        shell::readUserText(*shell::findSettingKey(QStringLiteral("Opcje/kolumny")), QStringLiteral("6"), s)
            .isEmpty());
    EXPECT_FALSE(shell::readUserText(*shell::findSettingKey(QStringLiteral("Opcje/imageWidt")),
                                     QStringLiteral("1O0"), s)
                     .isEmpty());
    EXPECT_FALSE(
        shell::readUserText(*shell::findSettingKey(QStringLiteral("FTP/pasywny")), QStringLiteral("maybe"), s)
            .isEmpty());
    EXPECT_TRUE(
        shell::readUserText(*shell::findSettingKey(QStringLiteral("Opcje/Styl")), QStringLiteral("-1"), s)
            .isEmpty());
    EXPECT_EQ(shell::findSettingKey(QStringLiteral("Opcje/nope")), nullptr);
}

TEST_F(SettingsTest, StoringTwiceChangesNothing)
{
    writeIni("; note\r\n[Mine]\r\nfoo=bar\r\n\r\n[Opcje]\r\nkolumny=2\r\n");
    shell::saveSettings(shell::loadSettings(config(), folder()), config(), folder());
    const QByteArray first = readFile(iniPath());
    shell::saveSettings(shell::loadSettings(config(), folder()), config(), folder());
    EXPECT_EQ(readFile(iniPath()), first);
    EXPECT_FALSE(QFile::exists(iniPath() + QStringLiteral(".bak")));
}

TEST_F(SettingsTest, NulByteFileKeepsEveryKeyThroughAStore)
{
    // A NUL in the middle (an editor's slip, or half of a UTF-16 character) used to end the reading.
    const QByteArray original = QByteArray("[Opcje]\r\nkolumny=1\r\n") + QByteArray(3, '\0')
                                + "title=Sklep\r\n[FTP]\r\nhost=ftp.sklep.pl\r\n[Mine]\r\nfoo=bar\r\n";
    writeIni(original);
    shell::Settings s = shell::loadSettings(config(), folder());
    EXPECT_EQ(s.options.columnsIndex, 1);
    EXPECT_EQ(s.options.title, QStringLiteral("Sklep"));
    EXPECT_EQ(s.ftp.host, QStringLiteral("ftp.sklep.pl"));
    shell::saveSettings(s, config(), folder());
    EXPECT_EQ(readFile(iniPath() + QStringLiteral(".bak")), original);
    const QByteArray stored = readFile(iniPath());
    EXPECT_FALSE(stored.contains('\0'));
    EXPECT_TRUE(stored.contains("foo=bar"));
    EXPECT_EQ(shell::loadSettings(config(), folder()).ftp.host, QStringLiteral("ftp.sklep.pl"));
}
