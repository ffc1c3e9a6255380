// Copies that meet trouble: a target that fills up, a replace killed half-way, text into shorter text.
#include "importer/pairing.h"
#include "importer/tablecreator.h"
#include "importer/tableimport.h"

#include "fakeinteraction.h"
#include "importertables.h"
#include "shell/tables/connection.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

class ImportFaultsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeInteraction ui;
    QStringList history;
    QString path(const QString& name) const { return dir.filePath(name); }

    // A source of n records of a 200-character text and a number, written in one go.
    QString bigSource(int n)
    {
        const QString p =
            makeTable(path("big.db"), {field("Text", FieldType::Memo), field("N", FieldType::Integer)});
        tables::Connection db(p);
        db.begin();
        db.run("WITH RECURSIVE k(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM k WHERE i + 1 < ?) "
               "INSERT INTO big (Text, N) SELECT printf('%0200d', i), i FROM k",
               {n});
        db.commit();
        return p;
    }
};

} // namespace

TEST_F(ImportFaultsTest, FullTargetStopsAfterTheFirstFailureWithTheTotal)
{
    const QString source = bigSource(3000);
    makeTable(path("t.db"), {field("Text", FieldType::Memo), field("N", FieldType::Integer)});
    tables::Table s, t;
    s.open(source);
    t.open(path("t.db"));
    // The target may grow by a few pages only: the disk is full after some records.
    const qint64 pages = t.connection().select("PRAGMA main.page_count")[0][0].toLongLong();
    t.connection().exec(QStringLiteral("PRAGMA main.max_page_count = %1").arg(pages + 8));
    TableImport import(s, t, ui);
    import.reportMovedRecords = false;
    import.onHistory = [this](const QString& line) { history << line;
};
const Pairing pairing = Pairing::make(s, t, PairingRule::FieldOrder);
EXPECT_EQ(import.run(pairing.source, pairing.target, ImportMode::Append), TableImport::Outcome::Stopped);
EXPECT_EQ(history.filter("BŁĄD przenoszenie rekordu").size(), 1) << history.size();
EXPECT_TRUE(ui.questions.filter("Kontynuować").isEmpty());
ASSERT_FALSE(history.filter("Przerwano").isEmpty());
// Every record is either stored or counted as an error.
EXPECT_EQ(import.storedCount() + import.errorCount(), 3000);
EXPECT_EQ(countOf(path("t.db")), import.storedCount());
}

TEST_F(ImportFaultsTest, TextIntoShorterTextNeverAsksAndReportsTheLoss)
{
    makeTable(path("s.db"), {field("Memo", FieldType::Memo), field("Long", FieldType::Alpha, 40)},
              {{"ok", "fits"}, {"too long for five", "also fits"}});
    makeTable(path("t.db"), {field("Short", FieldType::Alpha, 5), field("Mid", FieldType::Alpha, 10)});
    tables::Table s, t;
    s.open(path("s.db"));
    t.open(path("t.db"));
    TableImport import(s, t, ui);
    import.onHistory = [this](const QString& line) { history << line;
};
const Pairing pairing = Pairing::make(s, t, PairingRule::FieldOrder);
ui.defaultAnswer = true; // go on after the refused record
EXPECT_EQ(import.run(pairing.source, pairing.target, ImportMode::Append), TableImport::Outcome::Finished);
EXPECT_TRUE(ui.questions.filter("niezgodnego typu").isEmpty()) << ui.questions.join('|').toStdString();
EXPECT_EQ(countOf(path("t.db")), 1);
EXPECT_FALSE(history.filter("pole Short: wartości za długie — rekordów: 1, pierwszy nr 1").isEmpty())
    << history.join('|').toStdString();
}

TEST_F(ImportFaultsTest, KilledReplaceLeavesOldRecordsOrNew)
{
    // The real program, killed while it copies: the target holds its old records or all the new ones,
    // never none and never a part.
    const int n = 200000;
    const QString source = bigSource(n);
    for (const char* name : {"t.db", "t.dbf"}) {
        const QString target = path(name);
        TableCreator::create(target, {field("Text", FieldType::Alpha, 200), field("N", FieldType::Integer)},
                             TableCreator::formatFor(target), "1250");
        {
            tables::Table t;
            t.open(target);
            for (int i = 0; i < 3; ++i) {
                t.append();
                t.setValue("Text", "old");
                t.setValue("N", i);
                t.post();
            }
        }
        QProcess p;
        p.start(QStringLiteral(IMPORTER_BINARY), {"copy", source, target, "--replace"});
        ASSERT_TRUE(p.waitForStarted());
        // Killed once it has been copying for a while.
        QThread::msleep(1500);
        p.kill();
        p.waitForFinished();
        const int count = countOf(target);
        EXPECT_TRUE(count == 3 || count == n) << name << ": " << count;
        if (count == 3) {
            EXPECT_EQ(allRows(target)[0][0].toString(), "old");
        }
    }
}
