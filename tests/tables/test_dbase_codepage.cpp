// Code pages of table files: our own Mazovia table, the language driver byte and the user's choice.

#include "shell/error.h"
#include "shell/tables/codepage.h"

#include <QSet>

#include <gtest/gtest.h>

using tables::CodePage;

TEST(CodePages, MazoviaHasItsOwnPolishLetters)
{
    const QString polish = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    const QByteArray mazovia("\x86\x8D\x91\x92\xA4\xA2\x9E\xA6\xA7\x8F\x95\x90\x9C\xA5\xA3\x98\xA0\xA1");
    const auto page = CodePage::byName(CodePage::fromDbaseLanguageDriver(0x69));
    EXPECT_EQ(page->decode(mazovia), polish);
    QByteArray back;
    ASSERT_TRUE(page->encode(polish + QStringLiteral(" Zażółć 1 Ä"), back));
    EXPECT_EQ(back, mazovia + QByteArray(" Za\xA7\xA2\x92\x8D 1 \x8E"));
    // The rest is code page 437, box drawing included.
    EXPECT_EQ(page->decode(QByteArray("\xC9\xCD\xBB\xE1")), QStringLiteral("╔═╗ß"));
    // The same bytes in CP852 are other letters: the two must not be confused.
    EXPECT_NE(CodePage::byName("CP852")->decode(mazovia), polish);
    // Every byte decodes to a different character, so any text read can be written back unchanged.
    QSet<QChar> seen;
    for (int b = 0; b < 256; ++b)
        seen.insert(page->decode(QByteArray(1, char(b))).at(0));
    EXPECT_EQ(seen.size(), 256);
}

TEST(CodePages, LanguageDriverBytesAndUserChoices)
{
    const struct {
        int driver;
        const char* name;
    } drivers[] = {{0x69, "MAZOVIA"},   {0x64, "CP852"}, {0x23, "CP852"}, {0xC8, "CP1250"},
                   {0x03, "CP1252"},    {0x01, "CP437"}, {0x26, "CP866"}, {0x7D, "CP1255"},
                   {0x68, "KAMENICKY"}, {0x00, ""}};
    for (const auto& d : drivers) {
        EXPECT_EQ(CodePage::fromDbaseLanguageDriver(d.driver), QByteArray(d.name)) << d.driver;
        if (*d.name) {
            EXPECT_NO_THROW(CodePage::byName(d.name)) << d.name;
        }
    }

    const struct {
        const char* typed;
        const char* name;
    } choices[] = {{"620", "MAZOVIA"},
                   {"852", "CP852"},
                   {"cp852", "CP852"},
                   {"1250", "CP1250"},
                   {"ISO-8859-2", "ISO-8859-2"},
                   {"windows-1250", "CP1250"},
                   {" Mazovia ", "MAZOVIA"},
                   {"KOI8-R", "KOI8-R"},
                   {"utf-8", "UTF-8"}};
    for (const auto& c : choices)
        EXPECT_EQ(CodePage::fromUserChoice(QString::fromUtf8(c.typed)), QByteArray(c.name)) << c.typed;
    for (const char* bad : {"99999", "CP12", "Łódź", "no such page", ""}) {
        try {
            CodePage::fromUserChoice(QString::fromUtf8(bad));
            ADD_FAILURE() << bad << " was accepted";
        } catch (const shell::AppError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("620"))) << e.message().toStdString();
        }
    }
    EXPECT_EQ(CodePage::byName("CP1250")->displayName(), QStringLiteral("Windows-1250"));
    EXPECT_EQ(CodePage::byName("MAZOVIA")->displayName(), QStringLiteral("Mazovia (620)"));
}
