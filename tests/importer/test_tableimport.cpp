#include "importer/tablecreator.h"
#include "importer/tableimport.h"

#include "fakeinteraction.h"
#include "importertables.h"
#include "shell/error.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

Mapping rowsOf(const tables::Table& t, QSet<int> skipped = {})
{
    Mapping m;
    for (int i = 0; i < t.fields().size(); ++i)
        m.push_back({t.fields()[i].name, skipped.contains(i), i});
    return m;
}

class TableImportTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeInteraction ui;
    QStringList history;
    QString path(const QString& name) const { return dir.filePath(name); }

    TableImport::Outcome runImport(tables::Table& s, tables::Table& t, const Mapping& sm, const Mapping& tm,
                                   ImportMode mode = ImportMode::Append, int* errors = nullptr)
    {
        TableImport import(s, t, ui);
        import.onHistory = [this](const QString& line) { history << line;
    };
    const auto outcome = import.run(sm, tm, mode);
    if (errors)
        *errors = import.errorCount();
    return outcome;
}
}; // namespace

} // namespace

TEST_F(TableImportTest, PairsByPositionUpToTheShorterGridAndSkipsMarkedRows)
{
    makeTable(path("src.db"),
              {field("A", FieldType::Alpha, 10), field("B", FieldType::Alpha, 10),
               field("C", FieldType::Integer), field("D", FieldType::Alpha, 10),
               field("E", FieldType::Alpha, 10)},
              {{"a1", "b1", 1, "d1", "e1"}, {"a2", "b2", 2, "d2", "e2"}});
    makeTable(
        path("dst.db"),
        {field("X", FieldType::Alpha, 10), field("Y", FieldType::Alpha, 10), field("Z", FieldType::Integer)},
        {{"old", "old", 9}});
    tables::Table s, t;
    s.open(path("src.db"));
    t.open(path("dst.db"));
    // Target row order dragged: Y first, X second; source row 1 (B) skipped.
    Mapping tm = {{"Y", false, 1}, {"X", false, 0}, {"Z", false, 2}};
    int errors = -1;
    EXPECT_EQ(runImport(s, t, rowsOf(s, {1}), tm, ImportMode::Append, &errors),
              TableImport::Outcome::Finished);
    EXPECT_EQ(errors, 0);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(ui.messages, QStringList{"Zakończono przesyłanie danych"});
    EXPECT_EQ(ui.captions, QStringList{"informacja"});
    const auto rows = allRows(path("dst.db"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1][1].toString(), "a1"); // A -> Y
    EXPECT_TRUE(rows[1][0].isNull());       // B skipped, X untouched
    EXPECT_EQ(rows[2][2].toLongLong(), 2);  // C -> Z
    EXPECT_EQ(history,
              (QStringList{"Pomyślnie przeniesiono Rekord Nr 0", "Pomyślnie przeniesiono Rekord Nr 1", "",
                           "Liczba błędow: 0", "Liczba zaimportowanych rekordow: 3"}));
    EXPECT_EQ(t.recordCount(), 3); // the open view follows
}

TEST_F(TableImportTest, SameFileByAnotherPathIsRefusedAndNothingIsDeleted)
{
    makeTable(path("a.db"), {field("A", FieldType::Alpha, 10)}, {{"keep"}});
    // A link keeps the file's name, as the table inside is named after it.
    ASSERT_TRUE(QDir().mkpath(path("soft")) && QDir().mkpath(path("hard")));
    ASSERT_TRUE(QFile::link(path("a.db"), path("soft/a.db")));
    ASSERT_EQ(
        ::link(QFile::encodeName(path("a.db")).constData(), QFile::encodeName(path("hard/a.db")).constData()),
        0);
    for (const QString& other :
         {path("a.db"), dir.path() + "/./a.db", path("soft/a.db"), path("hard/a.db")}) {
        tables::Table s, t;
        s.open(path("a.db"));
        t.open(other);
        ui.messages.clear();
        EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t), ImportMode::Replace), TableImport::Outcome::Refused);
        EXPECT_EQ(ui.messages, QStringList{"Zaznaczono dwukrotnie ten sam plik!"});
        EXPECT_EQ(ui.captions.last(), "uwaga, akcja anulowana");
    }
    EXPECT_EQ(countOf(path("a.db")), 1);
}

TEST_F(TableImportTest, EmptySourceIsRefused)
{
    makeTable(path("s.db"), {field("A", FieldType::Alpha, 10)});
    makeTable(path("t.db"), {field("A", FieldType::Alpha, 10)}, {{"x"}});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t), ImportMode::Replace), TableImport::Outcome::Refused);
    EXPECT_EQ(ui.messages, QStringList{"Brak danych do przeniesienia!"});
    EXPECT_EQ(countOf(path("t.db")), 1);
}

TEST_F(TableImportTest, TypeQuestionAnsweredNoLeavesTheTargetIntactEvenInReplaceMode)
{
    makeTable(path("s.db"), {field("Name", FieldType::Alpha, 10), field("Price", FieldType::Number)},
              {{"a", 1.5}});
    makeTable(path("t.db"), {field("Nazwa", FieldType::Alpha, 10), field("Cena", FieldType::Alpha, 20)},
              {{"old", "x"}});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    ui.answers = {false};
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t), ImportMode::Replace), TableImport::Outcome::Cancelled);
    EXPECT_EQ(
        ui.questions,
        QStringList{"Wiersz nr: 1\npola: Price oraz Cena są niezgodnego typu\nCzy mimo to kontynuować ?"});
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(history.isEmpty());
    EXPECT_EQ(countOf(path("t.db")), 1);

    // A skipped row is not checked at all.
    ui.questions.clear();
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t, {1}), ImportMode::Replace),
              TableImport::Outcome::Finished);
    EXPECT_TRUE(ui.questions.isEmpty());
    EXPECT_EQ(countOf(path("t.db")), 1);
    EXPECT_EQ(allRows(path("t.db"))[0][0].toString(), "a");
}

TEST_F(TableImportTest, ValuesKeepEveryDigitAndByte)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    const QVector<tables::Field> fields = {field("N", FieldType::Number), field("B", FieldType::Binary),
                                           field("D", FieldType::Timestamp), field("I", FieldType::Integer)};
    makeTable(path("s.db"), fields,
              {{1234567.89, bytes, "2024-02-29 23:59:58", qlonglong(9007199254740993)}});
    makeTable(path("same.db"), fields);
    makeTable(path("text.db"), {field("N", FieldType::Alpha, 40), field("B", FieldType::Binary),
                                field("D", FieldType::Date), field("I", FieldType::Alpha, 40)});
    tables::Table s, same, text;
    s.open(path("s.db"));
    same.open(path("same.db"));
    text.open(path("text.db"));
    ASSERT_EQ(runImport(s, same, rowsOf(s), rowsOf(same)), TableImport::Outcome::Finished);
    const auto copied = allRows(path("same.db"))[0];
    EXPECT_EQ(copied[0].toDouble(), 1234567.89);
    EXPECT_EQ(copied[1].toByteArray(), bytes);
    EXPECT_EQ(copied[2].toString(), "2024-02-29 23:59:58");
    EXPECT_EQ(copied[3].toLongLong(), 9007199254740993LL);

    ASSERT_EQ(runImport(s, text, rowsOf(s), rowsOf(text)), TableImport::Outcome::Finished);
    EXPECT_EQ(ui.questions.size(), 2); // N and I differ in kind; a timestamp into a date does not ask
    const auto converted = allRows(path("text.db"))[0];
    EXPECT_EQ(converted[0].toString(), "1234567.89");
    EXPECT_EQ(converted[2].toString(), "2024-02-29");
    EXPECT_EQ(converted[3].toString(), "9007199254740993");
}

TEST_F(TableImportTest, FailedRecordAnsweredYesGoesOnAndAsksTheTypeQuestionsAgain)
{
    makeTable(path("s.db"), {field("V", FieldType::Alpha, 10)}, {{"1"}, {"bad"}, {"3"}, {"x"}});
    makeTable(path("t.db"), {field("N", FieldType::Integer)});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    // Type question, failure of record 1: Yes, type question again, failure of record 3: Yes, type again.
    ui.defaultAnswer = true;
    int errors = 0;
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t), ImportMode::Append, &errors),
              TableImport::Outcome::Finished);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(ui.questions.count("Kontynuować ?"), 2);
    EXPECT_EQ(ui.questions.size(), 5);
    ASSERT_GE(history.size(), 8);
    EXPECT_EQ(history[0], "Pomyślnie przeniesiono Rekord Nr 0");
    EXPECT_EQ(history[1], "BŁĄD przenoszenie rekordu: 1");
    EXPECT_TRUE(history[2].contains("bad")) << history[2].toStdString(); // the engine's reason
    EXPECT_EQ(history[3], "Pomyślnie przeniesiono Rekord Nr 2");
    EXPECT_EQ(history[4], "BŁĄD przenoszenie rekordu: 3");
    EXPECT_EQ(history.mid(6, 3), (QStringList{"", "Liczba błędow: 2", "Liczba zaimportowanych rekordow: 2"}));
    // The loss report: both refusals under one field and reason, with the first record.
    EXPECT_EQ(history.mid(9, 1), QStringList{"Cel odrzucił:"});
    ASSERT_EQ(history.size(), 11);
    EXPECT_TRUE(
        history[10].startsWith("pole N: wartości niezgodne z typem pola — rekordów: 2, pierwszy nr 1"))
        << history[10].toStdString();
    const auto rows = allRows(path("t.db"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0].toLongLong(), 3);
}

TEST_F(TableImportTest, FailedRecordAnsweredNoKeepsWhatWasStoredWithoutSummary)
{
    makeTable(path("s.db"), {field("V", FieldType::Alpha, 20)}, {{"ok"}, {"far too long a text"}, {"never"}});
    makeTable(path("t.db"), {field("V", FieldType::Alpha, 5)});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    ui.answers = {false};
    int errors = 0;
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t), ImportMode::Append, &errors),
              TableImport::Outcome::Cancelled);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(ui.questions, QStringList{"Kontynuować ?"});
    EXPECT_EQ(history, QStringList{"Pomyślnie przeniesiono Rekord Nr 0"});
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(countOf(path("t.db")), 1);
    EXPECT_EQ(t.recordCount(), 1);
}

TEST_F(TableImportTest, ReplaceModeEmptiesOnlyTheFilteredViewAndCountsIt)
{
    makeTable(path("s.db"), {field("V", FieldType::Alpha, 10)}, {{"new"}});
    makeTable(path("t.db"), {field("V", FieldType::Alpha, 10)}, {{"a"}, {"b"}, {"a"}});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    t.setFilter("V = 'a'");
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t), ImportMode::Replace), TableImport::Outcome::Finished);
    EXPECT_EQ(countOf(path("t.db")), 2);                             // b and new
    EXPECT_EQ(history.last(), "Liczba zaimportowanych rekordow: 0"); // "new" is outside the filter
}

TEST_F(TableImportTest, AutoIncrementTargetFieldIsLeftToTheEngine)
{
    makeTable(path("s.db"), {field("Id", FieldType::Integer), field("V", FieldType::Alpha, 10)},
              {{77, "x"}, {78, "y"}});
    makeTable(path("t.db"), {field("Id", FieldType::AutoInc), field("V", FieldType::Alpha, 10)});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    EXPECT_EQ(runImport(s, t, rowsOf(s), rowsOf(t)), TableImport::Outcome::Finished);
    EXPECT_TRUE(ui.questions.isEmpty()); // the counter is not asked about
    const auto rows = allRows(path("t.db"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0].toLongLong(), 1);
    EXPECT_EQ(rows[1][1].toString(), "y");
}

TEST_F(TableImportTest, DbaseTargetNamesItsOwnStaleIndexFilesAfterAppendAndReplace)
{
    makeTable(path("s.db"), {field("V", FieldType::Alpha, 10)}, {{"new"}});
    TableCreator::create(path("t.dbf"), {field("V", FieldType::Alpha, 10)}, TableCreator::Format::DBase);
    QFile mdx(path("t.mdx"));
    ASSERT_TRUE(mdx.open(QIODevice::WriteOnly));
    mdx.write(QByteArray(512, '\0'));
    mdx.close();
    for (const ImportMode mode : {ImportMode::Append, ImportMode::Replace}) {
        tables::Table s, t;
        s.open(path("s.db"));
        t.setAllowStaleIndexes(true);
        t.open(path("t.dbf"));
        TableImport import(s, t, ui);
        ASSERT_EQ(import.run(rowsOf(s), rowsOf(t), mode), TableImport::Outcome::Finished);
        // A replace works on a copy of the files: the note names the target's own index, not the copy's.
        EXPECT_EQ(import.warnings(), QStringList{"pliki indeksów są teraz nieaktualne: t.mdx"});
    }
    EXPECT_EQ(countOf(path("t.dbf")), 1);
}
