// Small pure pieces: CSV reading, shortened field names, refusal messages sorted into the loss report.
#include "importer/csv.h"
#include "importer/lossreport.h"
#include "importer/tablecreator.h"

#include "shell/error.h"
#include "testsupport.h"

#include <gtest/gtest.h>

using namespace importer;

TEST(CsvParse, QuotesSeparatorsAndLineEnds)
{
    const struct {
        QByteArray text;
        char separator;
        QVector<QStringList> records;
    } cases[] = {
        {"a,b\r\n1,2\r\n", ',', {{"a", "b"}, {"1", "2"}}},
        {"a,b\n1,2", ',', {{"a", "b"}, {"1", "2"}}}, // LF, no final break
        {"\xEF\xBB\xBF"
         "a;b\r\n\"x;y\";\"say \"\"hi\"\"\"\r\n",
         ';',
         {{"a", "b"}, {"x;y", "say \"hi\""}}},
        {"a,b\r\n\"two\r\nlines\",\r\n\r\n", ',', {{"a", "b"}, {"two\r\nlines", ""}}}, // empty line skipped
        {"a\tb\r\n,\t\r\n", '\t', {{"a", "b"}, {",", ""}}},
        {"a,b\r\nsay \"x\",2\r\n", ',', {{"a", "b"}, {"say \"x\"", "2"}}}, // a quote inside a plain field
    };
    for (const auto& c : cases) {
        CsvOptions options;
        options.separator = c.separator;
        EXPECT_EQ(Csv::parse(c.text, options, "t.csv"), c.records) << c.text.toStdString();
    }
}

TEST(CsvParse, WritingQuotesOnlyWhatNeedsIt)
{
    ExportSink out;
    for (const QByteArray& field :
         {QByteArray("plain"), QByteArray("a,b"), QByteArray("q\"q"), QByteArray("l\nl"), QByteArray("")}) {
        Csv::appendField(out, field, ',');
        out.append('|');
    }
    EXPECT_EQ(out.take(), QByteArray("plain|\"a,b\"|\"q\"\"q\"|\"l\nl\"||"));
}

TEST(TableCreator, NamesShortenedAndKeptUnique)
{
    EXPECT_EQ(TableCreator::shortNames({"SupportRepId", "SupportRepName", "SUPPORTREPX", "Id", "id"}, 10),
              (QStringList{"SupportRep", "SupportRe1", "SUPPORTRE2", "Id", "id1"}));
    EXPECT_EQ(TableCreator::formatFor("a.DBF"), TableCreator::Format::DBase);
    EXPECT_EQ(TableCreator::formatFor("a.sqlite3"), TableCreator::Format::Native);
    EXPECT_EQ(TableCreator::formatFor("a.db", "paradox"), TableCreator::Format::Paradox);
    EXPECT_THROW(TableCreator::formatFor("a.txt"), shell::AppError);
}

TEST(LossReport, EngineMessagesGiveReasonAndField)
{
    const struct {
        const char* message;
        LossReport::Reason reason;
        const char* field;
    } cases[] = {
        {"/t/a.dbf: field CENA, record 4: the number 999.99 fits the field (5 wide, 1 decimals) only rounded "
         "to "
         "1000.0; allow rounding to store it so",
         LossReport::Reason::LostDigits, "CENA"},
        {"/t/a.dbf: field NAZWA, record 2: the character \"ж\" cannot be stored in the code page CP1250 of "
         "this "
         "table",
         LossReport::Reason::CodePage, "NAZWA"},
        {"/t/a.dbf: field NAZWA: the text is 12 bytes long, the field holds 10", LossReport::Reason::TooLong,
         "NAZWA"},
        {"Table /t/a.db: wartość pola 'Opis' jest dłuższa niż 5 znaków", LossReport::Reason::TooLong, "Opis"},
        {"NOT NULL constraint failed: towary.Nazwa", LossReport::Reason::NullRequired, "Nazwa"},
        {"Table /t/a.db: 'x' is not a valid whole number for field 'N'", LossReport::Reason::Invalid, "N"},
        {"UNIQUE constraint failed: towary.ID", LossReport::Reason::Refused, ""},
        // the same in Importer's Polish
        {"/t/a.dbf: pole CENA, rekord 4: liczba 999.99 mieści się w polu (szerokość 5, miejsc dziesiętnych "
         "1) "
         "tylko zaokrąglona do 1000.0; zezwól na zaokrąglanie, aby ją tak zapisać",
         LossReport::Reason::LostDigits, "CENA"},
        {"/t/a.dbf: pole CENA, rekord 4: liczba 123456 nie mieści się w szerokości pola 5",
         LossReport::Reason::LostDigits, "CENA"},
        {"/t/a.db: pole NAZWA, rekord 2: znaku \"ж\" nie można zapisać w stronie kodowej CP1250 tej tabeli",
         LossReport::Reason::CodePage, "NAZWA"},
        {"/t/a.dbf: pole NAZWA: tekst ma 12 bajtów, a pole mieści 10", LossReport::Reason::TooLong, "NAZWA"},
        {"Tabela /t/a.db: 'x' nie jest poprawną wartością (liczba całkowita) pola 'N'",
         LossReport::Reason::Invalid, "N"},
        {"/t/a.db: pole N: \"x\" nie jest poprawną wartością: liczba", LossReport::Reason::Invalid, "N"},
    };
    for (const auto& c : cases) {
        QString field;
        EXPECT_EQ(LossReport::reasonOf(QString::fromUtf8(c.message), &field), c.reason) << c.message;
        EXPECT_EQ(field, QString::fromUtf8(c.field)) << c.message;
    }
    LossReport report;
    report.add(LossReport::Reason::Refused, {}, 3, "UNIQUE constraint failed: towary.ID");
    report.add(LossReport::Reason::Refused, {}, 7, "UNIQUE constraint failed: towary.ID");
    report.add(LossReport::Reason::TooLong, "Opis", 5);
    EXPECT_EQ(report.total(), 3);
    EXPECT_EQ(report.lines(),
              (QStringList{"odrzucone — rekordów: 2, pierwszy nr 3 (UNIQUE constraint failed: towary.ID)",
                           "pole Opis: wartości za długie — rekordów: 1, pierwszy nr 5"}));
}
