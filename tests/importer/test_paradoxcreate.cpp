// New Paradox targets made by `copy --create --format paradox`: read back here and by pxlib, a program
// that shares no code with ours.
#include "importer/commandline.h"
#include "importer/tablecreator.h"

#include "importertables.h"
#include "paradox_pxlib.h"
#include "runcommandline.h"
#include "shell/tables/codepage.h"
#include "testsupport.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

class ParadoxCreateTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString source;
    QString longText = QString(300, QLatin1Char('x')) + QStringLiteral("ąę");
    void SetUp() override
    {
        source =
            makeTable(dir.filePath("src.db"),
                      {field("Nazwa", FieldType::Alpha, 40), field("Opis", FieldType::Memo),
                       field("Ilosc", FieldType::SmallInt), field("Id", FieldType::AutoInc),
                       field("Cena", FieldType::Number), field("Kwota", FieldType::Money),
                       field("Data", FieldType::Date), field("Jest", FieldType::Logical),
                       field("NazwaPolaDluzszaNizDwadziesciaPiec", FieldType::Alpha, 5),
                       field("NazwaPolaDluzszaNizDwadziesciaPiecZnakow", FieldType::Alpha, 5)},
                      {{"Zażółć gęślą", longText, 7, {}, 12.5, 99.99, QDate(2024, 2, 29), true, "a", "b"},
                       {"Łódź", "krótki", -3, {}, -0.25, 0, QDate(1999, 12, 31), false, {}, {}}});
    }
};

} // namespace

TEST_F(ParadoxCreateTest, CreatedTableReadsTheSameHereAndInPxlib)
{
    const QString target = dir.filePath("nowa€ж.db"); // a letter Windows-1250 lacks only in the name
    const CommandLineOutcome r = runCommandLine({"copy", source, target, "--create", "--format", "paradox"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("NazwaPolaDluzszaNizDwadziesciaPiecZnakow -> NazwaPolaDluzszaNizDwadz1"))
        << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("nowa€ж.mb"))); // the long description is a memo

    tables::Table t;
    t.open(target);
    EXPECT_EQ(t.format(), tables::FileFormat::Paradox);
    EXPECT_FALSE(t.isReadOnly()) << t.readOnlyReason().toStdString();
    const auto rows = allRows(target);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0].toString(), "Zażółć gęślą");
    EXPECT_EQ(rows[0][1].toString(), longText);
    EXPECT_EQ(rows[0][2].toInt(), 7);
    EXPECT_EQ(rows[0][3].toInt(), 1); // the counter's values are copied
    EXPECT_DOUBLE_EQ(rows[0][4].toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(rows[0][5].toDouble(), 99.99);
    EXPECT_EQ(rows[0][6].toDate(), QDate(2024, 2, 29));
    EXPECT_TRUE(rows[0][7].toBool());
    EXPECT_EQ(rows[1][1].toString(), "krótki");
    EXPECT_FALSE(rows[1][7].toBool());
    EXPECT_TRUE(rows[1][8].isNull());

    pxcheck::PxTable px(target);
    ASSERT_TRUE(px.ok());
    const pxhead_t* head = px.doc()->px_head;
    EXPECT_EQ(head->px_fileversion, 70);
    EXPECT_EQ(head->px_filetype, pxfFileTypNonIndexDB);
    EXPECT_EQ(head->px_doscodepage, 1250);
    ASSERT_EQ(head->px_numfields, 10);
    const struct {
        const char* name;
        int type;
        int size;
    } expected[] = {{"Nazwa", pxfAlpha, 40},
                    {"Opis", pxfMemoBLOb, 11},
                    {"Ilosc", pxfShort, 2},
                    {"Id", pxfLong, 4},
                    {"Cena", pxfNumber, 8},
                    {"Kwota", pxfCurrency, 8},
                    {"Data", pxfDate, 4},
                    {"Jest", pxfLogical, 1},
                    {"NazwaPolaDluzszaNizDwadzi", pxfAlpha, 5},
                    {"NazwaPolaDluzszaNizDwadz1", pxfAlpha, 5}};
    for (int i = 0; i < 10; ++i) {
        const pxfield_t* f = PX_get_field(px.doc(), i);
        EXPECT_STREQ(f->px_fname, expected[i].name);
        EXPECT_EQ(f->px_ftype, expected[i].type) << expected[i].name;
        EXPECT_EQ(f->px_flen, expected[i].size) << expected[i].name;
    }
    ASSERT_EQ(px.records(), 2);
    const auto cp1250 = tables::CodePage::byName("CP1250");
    const QStringList names = px.column(0);
    EXPECT_EQ(cp1250->decode(names[0].toLatin1()), "Zażółć gęślą");
    EXPECT_EQ(cp1250->decode(names[1].toLatin1()), "Łódź");
    EXPECT_EQ(px.column(2), (QStringList{"7", "-3"}));
    EXPECT_EQ(px.column(3), (QStringList{"1", "2"}));
    EXPECT_EQ(px.column(4), (QStringList{"12.5", "-0.25"}));
    EXPECT_EQ(px.column(5), (QStringList{"99.99", "0"}));
    EXPECT_EQ(px.column(8), (QStringList{"a", QString()}));
}

TEST_F(ParadoxCreateTest, CodePageChoiceAndRefusals)
{
    // Another code page by its number; one a Paradox header cannot name is refused before anything is made.
    CommandLineOutcome r = runCommandLine({"copy", source, dir.filePath("dos.db"), "--create", "--format",
                                           "paradox", "--target-codepage", "852"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    {
        pxcheck::PxTable px(dir.filePath("dos.db"));
        ASSERT_TRUE(px.ok());
        EXPECT_EQ(px.doc()->px_head->px_doscodepage, 852);
        EXPECT_EQ(tables::CodePage::byName("CP852")->decode(px.column(0)[1].toLatin1()), "Łódź");
    }
    r = runCommandLine({"copy", source, dir.filePath("utf.db"), "--create", "--format", "paradox",
                        "--target-codepage", "UTF-8"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("utf.db")));
    EXPECT_FALSE(QFile::exists(dir.filePath("utf.mb")));

    // Another table's blob file is never written over.
    testsupport::writeFile(dir.filePath("own.MB"), "not ours");
    r = runCommandLine({"copy", source, dir.filePath("own.db"), "--create", "--format", "paradox"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("own.db")));
    EXPECT_EQ(testsupport::readFile(dir.filePath("own.MB")), QByteArray("not ours"));
    // Nor left beside a new table without memos, which would seem to own it (and lose it on a failure).
    const QString plain = makeTable(dir.filePath("plain.db"), {field("A", FieldType::Alpha, 5)}, {{"x"}});
    testsupport::writeFile(dir.filePath("lone.mb"), "not ours");
    r = runCommandLine({"copy", plain, dir.filePath("lone.db"), "--create", "--format", "paradox"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("lone.db")));
    EXPECT_EQ(testsupport::readFile(dir.filePath("lone.mb")), QByteArray("not ours"));
}
