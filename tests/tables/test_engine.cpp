#include "shell/error.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace tables;

namespace {

QVector<Field> productFields()
{
    return {
        {QStringLiteral("ID"), FieldType::Alpha, 31, true},
        {QStringLiteral("Nazwa"), FieldType::Alpha, 20, true},
        {QStringLiteral("Cena"), FieldType::Money, 0, true},
        {QStringLiteral("Status"), FieldType::Alpha, 10, true},
        {QStringLiteral("Opis2"), FieldType::Memo, 0, true},
        {QStringLiteral("R"), FieldType::Logical, 0, true},
        {QStringLiteral("Ilosc"), FieldType::SmallInt, 0, true},
        {QStringLiteral("Data"), FieldType::Date, 0, true},
    };
}

class EngineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path;

    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("towary.db"));
        Table::create(path, productFields());
    }

    void addProducts(Table& t, const QStringList& names, const QString& status = QStringLiteral("Normal"))
    {
        for (const QString& n : names) {
            t.append();
            t.setValue(QStringLiteral("Nazwa"), n);
            t.setValue(QStringLiteral("Status"), status);
            t.post();
        }
    }
};

TEST_F(EngineTest, DefinitionSurvivesRoundTrip)
{
    QVector<Field> all = productFields();
    all.prepend({QStringLiteral("Nr"), FieldType::AutoInc, 0, false});
    for (FieldType t :
         {FieldType::FormattedMemo, FieldType::Number, FieldType::Bcd, FieldType::Integer, FieldType::Bytes,
          FieldType::Time, FieldType::Timestamp, FieldType::Binary, FieldType::Graphic})
        all.append({QStringLiteral("F") + typeCode(t), t, 0, true});
    const QString p = dir.filePath(QStringLiteral("wszystko.db"));
    Table::create(p, all);
    Table t;
    t.open(p);
    ASSERT_EQ(t.fields().size(), all.size());
    for (int i = 0; i < all.size(); ++i) {
        EXPECT_EQ(t.fields()[i].name, all[i].name);
        EXPECT_EQ(t.fields()[i].type, all[i].type) << all[i].name.toStdString();
        EXPECT_EQ(t.fields()[i].modifiable, all[i].type != FieldType::AutoInc);
    }
    EXPECT_EQ(t.field(QStringLiteral("nazwa")).size, 20);
    EXPECT_THROW(Table::create(p, all), shell::AppError);
}

TEST_F(EngineTest, NavigationCountsAndValues)
{
    Table t;
    t.open(path);
    EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(t.recordNumber(), 0);
    EXPECT_TRUE(t.bof() && t.eof());
    addProducts(t, {QStringLiteral("Alfa"), QStringLiteral("Beta"), QStringLiteral("Gamma")});
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.recordNumber(), 3);
    t.first();
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.text(QStringLiteral("Nazwa")), QStringLiteral("Alfa"));
    t.next();
    t.next();
    EXPECT_FALSE(t.eof());
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.text(QStringLiteral("Nazwa")), QStringLiteral("Gamma"));
    t.prior();
    EXPECT_EQ(t.recordNumber(), 2);

    // typed access and text conversions
    t.setText(QStringLiteral("Cena"), QStringLiteral("12,50"));
    t.setValue(QStringLiteral("R"), true);
    t.setText(QStringLiteral("Data"), QStringLiteral("2026-12-07"));
    t.setText(QStringLiteral("Opis2"), QStringLiteral("długi opis\nz dwiema liniami"));
    t.post();
    Table again;
    again.open(path);
    again.moveTo(1);
    EXPECT_DOUBLE_EQ(again.number(QStringLiteral("Cena")), 12.5);
    EXPECT_EQ(again.text(QStringLiteral("Cena")), QStringLiteral("12.5"));
    EXPECT_TRUE(again.logical(QStringLiteral("R")));
    EXPECT_EQ(again.text(QStringLiteral("R")), QStringLiteral("True"));
    EXPECT_EQ(again.text(QStringLiteral("Data")), QStringLiteral("2026-12-07"));
    EXPECT_EQ(again.text(QStringLiteral("Opis2")), QStringLiteral("długi opis\nz dwiema liniami"));
    EXPECT_EQ(again.text(QStringLiteral("Ilosc")), QString());

    // wrong values name the field and leave the record untouched
    EXPECT_THROW(again.setText(QStringLiteral("Cena"), QStringLiteral("abc")), shell::AppError);
    EXPECT_THROW(again.setText(QStringLiteral("Ilosc"), QStringLiteral("70000")), shell::AppError);
    EXPECT_THROW(again.setText(QStringLiteral("Data"), QStringLiteral("32.13.2026")), shell::AppError);
    EXPECT_THROW(again.value(QStringLiteral("NoSuchField")), shell::AppError);
}

TEST_F(EngineTest, AlphaSizeIsEnforcedAtPost)
{
    Table t;
    t.open(path);
    t.append();
    t.setValue(QStringLiteral("Nazwa"), QString(21, QLatin1Char('x')));
    try {
        t.post();
        FAIL() << "post accepted a value longer than the field";
    } catch (const shell::AppError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Nazwa"))) << e.what();
        EXPECT_TRUE(e.message().contains(QLatin1String("towary.db"))) << e.what();
    }
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    t.cancel();
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(EngineTest, EventsRunAroundChanges)
{
    Table t;
    t.open(path);
    QStringList log;
    const Subscription inserted = t.subscribe(DataSet::Event::AfterInsert, [&](DataSet& d) {
        log << QStringLiteral("afterInsert");
        d.setValue(QStringLiteral("Status"), QStringLiteral("Normal"));
    });
    const Subscription posting = t.subscribe(DataSet::Event::BeforePost, [&](DataSet& d) {
        log << QStringLiteral("beforePost");
        if (d.text(QStringLiteral("ID")).isEmpty())
            d.setValue(QStringLiteral("ID"), QStringLiteral("ID000000001P"));
        if (d.text(QStringLiteral("Nazwa")) == QStringLiteral("zła"))
            throw shell::AppError(QStringLiteral("refused"));
    });
    Subscription deleting = t.subscribe(DataSet::Event::BeforeDelete, [&](DataSet& d) {
        log << QStringLiteral("beforeDelete ") + d.text(QStringLiteral("Nazwa"));
    });
    QSignalSpy scrolls(&t, &DataSet::afterScroll);

    addProducts(t, {QStringLiteral("Alfa")}, QString());
    EXPECT_EQ(t.text(QStringLiteral("ID")), QStringLiteral("ID000000001P"));
    EXPECT_EQ(t.text(QStringLiteral("Status")),
              QString()); // the caller's empty status was written after the event

    t.append();
    t.setValue(QStringLiteral("Nazwa"), QStringLiteral("zła"));
    EXPECT_THROW(t.post(), shell::AppError);
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    t.cancel();
    EXPECT_EQ(t.recordCount(), 1);

    t.remove();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(log, (QStringList{QStringLiteral("afterInsert"), QStringLiteral("beforePost"),
                                QStringLiteral("afterInsert"), QStringLiteral("beforePost"),
                                QStringLiteral("beforeDelete Alfa")}));
    EXPECT_GE(scrolls.count(), 3);

    // a before-delete handler that throws keeps the record
    addProducts(t, {QStringLiteral("Beta")});
    deleting = t.subscribe(DataSet::Event::BeforeDelete,
                           [](DataSet&) { throw shell::AppError(QStringLiteral("no")); });
    EXPECT_THROW(t.remove(), shell::AppError);
    EXPECT_EQ(t.recordCount(), 1);
}

TEST_F(EngineTest, EverySubscriberRunsUntilItsSubscriptionGoes)
{
    Table t;
    t.open(path);
    QStringList log;
    const auto logger = [&log](const QString& name) { return [&log, name](DataSet&) { log << name; }; };
    Subscription first = t.subscribe(DataSet::Event::BeforePost, logger(QStringLiteral("first")));
    std::optional<Subscription> second =
        t.subscribe(DataSet::Event::BeforePost, logger(QStringLiteral("second")));
    const Subscription other = t.subscribe(DataSet::Event::BeforeDelete, logger(QStringLiteral("delete")));
    addProducts(t, {QStringLiteral("Alfa")});
    EXPECT_EQ(log, (QStringList{QStringLiteral("first"), QStringLiteral("second")}));

    // the second subscriber leaves with its handle; a moved handle keeps the first one subscribed
    log.clear();
    second.reset();
    const Subscription moved = std::move(first);
    EXPECT_FALSE(first.isActive());
    EXPECT_TRUE(moved.isActive());
    addProducts(t, {QStringLiteral("Beta")});
    EXPECT_EQ(log, QStringList{QStringLiteral("first")});

    // a handler that drops a later one during the call: the later one is not called any more
    log.clear();
    std::optional<Subscription> later;
    const Subscription dropper = t.subscribe(DataSet::Event::BeforePost, [&](DataSet&) {
        log << QStringLiteral("dropper");
        later.reset();
    });
    later = t.subscribe(DataSet::Event::BeforePost, logger(QStringLiteral("later")));
    addProducts(t, {QStringLiteral("Gamma")});
    EXPECT_EQ(log, (QStringList{QStringLiteral("first"), QStringLiteral("dropper")}));
}

TEST_F(EngineTest, SubscriptionMayOutliveItsDataSet)
{
    Subscription kept;
    {
        Table t;
        t.open(path);
        kept = t.subscribe(DataSet::Event::AfterInsert, [](DataSet&) {});
        EXPECT_TRUE(kept.isActive());
    }
    EXPECT_FALSE(kept.isActive());
    kept.reset(); // nothing left to unsubscribe from
}

TEST_F(EngineTest, NavigationPostsPendingEdits)
{
    Table t;
    t.open(path);
    addProducts(t, {QStringLiteral("Alfa"), QStringLiteral("Beta")});
    t.first();
    t.setValue(QStringLiteral("Nazwa"), QStringLiteral("Alfa 2"));
    t.next();
    Table other;
    other.open(path);
    EXPECT_EQ(other.text(QStringLiteral("Nazwa")), QStringLiteral("Alfa 2"));
}

TEST_F(EngineTest, LocateIgnoresCaseIncludingPolishLetters)
{
    Table t;
    t.open(path);
    addProducts(t, {QStringLiteral("Zażółć gęślą"), QStringLiteral("Łódka"), QStringLiteral("łódka mała"),
                    QStringLiteral("ŁÓDKA")});
    t.first();
    EXPECT_TRUE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("łÓdKa")));
    EXPECT_EQ(t.recordNumber(), 2);
    EXPECT_TRUE(t.locate(QStringLiteral("nazwa"), QStringLiteral("ZAŻÓŁĆ GĘŚLĄ")));
    EXPECT_EQ(t.recordNumber(), 1);
    // partial key: begins with, case-sensitive
    EXPECT_TRUE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("łódka"), true));
    EXPECT_EQ(t.recordNumber(), 3);
    EXPECT_FALSE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("ŁÓDKA M"), true));
    EXPECT_EQ(t.recordNumber(), 3); // stays put
    EXPECT_FALSE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("Łód")));
    // a value with an apostrophe is a value, not SQL
    EXPECT_FALSE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("x' OR '1'='1")));
}

TEST_F(EngineTest, FilterTexts)
{
    Table t;
    t.open(path);
    addProducts(t, {QStringLiteral("A"), QStringLiteral("B")}, QStringLiteral("Normal"));
    addProducts(t, {QStringLiteral("C")}, QStringLiteral("New"));
    t.setFilter(QStringLiteral("Status='New'"));
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.text(QStringLiteral("Nazwa")), QStringLiteral("C"));
    EXPECT_FALSE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("A")));
    try {
        t.setFilter(QStringLiteral("Status='New"));
        FAIL() << "a filter that does not parse was accepted";
    } catch (const shell::AppError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("towary.db")));
    }
    EXPECT_EQ(t.filter(), QStringLiteral("Status='New'"));
    EXPECT_EQ(t.recordCount(), 1);
    t.setFilter(QString());
    EXPECT_EQ(t.recordCount(), 3);
}

TEST_F(EngineTest, OpeningBadFilesGivesClearErrors)
{
    const auto expectError = [](const QString& p, const char* part) {
        Table t;
        try {
            t.open(p);
            FAIL() << "opened " << p.toStdString();
        } catch (const shell::AppError& e) {
            EXPECT_TRUE(e.message().contains(QFileInfo(p).fileName())) << e.what();
            EXPECT_TRUE(e.message().contains(QLatin1String(part))) << e.what();
        }
        EXPECT_FALSE(t.isOpen());
    };
    expectError(dir.filePath(QStringLiteral("brak.db")), "does not exist");

    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    testsupport::writeFile(dir.filePath(QStringLiteral("szum.db")), noise);
    expectError(dir.filePath(QStringLiteral("szum.db")), "not a table file");

    // an SQLite header followed by rubbish
    QByteArray damaged = testsupport::readFile(path);
    damaged.replace(100, damaged.size() - 100, QByteArray(damaged.size() - 100, '\xff'));
    testsupport::writeFile(dir.filePath(QStringLiteral("uszkodzona.db")), damaged);
    expectError(dir.filePath(QStringLiteral("uszkodzona.db")), "uszkodzona");

    // a valid SQLite file without the table of its name: its only table is used; with two, the user
    // must name one
    QFile::copy(path, dir.filePath(QStringLiteral("inna.db")));
    {
        Table only;
        only.open(dir.filePath(QStringLiteral("inna.db")));
        EXPECT_EQ(only.tableName(), QFileInfo(path).completeBaseName());
    }
    {
        Connection second(dir.filePath(QStringLiteral("inna.db")));
        second.exec(QStringLiteral("CREATE TABLE druga (x)"));
    }
    expectError(dir.filePath(QStringLiteral("inna.db")), "several tables");
    expectError(dir.filePath(QStringLiteral("inna.db::trzecia")), "no table named trzecia");
}

TEST_F(EngineTest, SeesChangesOfAnotherProgram)
{
    Table kalmenor;
    kalmenor.open(path);
    addProducts(kalmenor, {QStringLiteral("A")});
    EXPECT_FALSE(kalmenor.refreshIfChanged());
    {
        Table importer;
        importer.open(path);
        addProducts(importer, {QStringLiteral("B"), QStringLiteral("C")});
    }
    EXPECT_TRUE(kalmenor.refreshIfChanged());
    EXPECT_EQ(kalmenor.recordCount(), 3);
    EXPECT_EQ(kalmenor.text(QStringLiteral("Nazwa")), QStringLiteral("A")); // current record kept
}

TEST_F(EngineTest, BulkChangesCommitTogether)
{
    Table t;
    t.open(path);
    t.beginBulk();
    addProducts(t, {QStringLiteral("A"), QStringLiteral("B")});
    t.rollbackBulk();
    EXPECT_EQ(t.recordCount(), 0);
    t.beginBulk();
    addProducts(t, {QStringLiteral("A"), QStringLiteral("B")});
    t.commitBulk();
    Table other;
    other.open(path);
    EXPECT_EQ(other.recordCount(), 2);
}

class QueryTest : public EngineTest {
protected:
    QString folder;
    QString table;

    void SetUp() override
    {
        folder = dir.filePath(QStringLiteral("Ania's shop/Bd"));
        QDir().mkpath(folder);
        table = folder + QStringLiteral("/towary.db");
        Table::create(table, productFields());
        Table t;
        t.open(table);
        for (int i = 1; i <= 10; ++i) {
            t.append();
            t.setValue(QStringLiteral("Nazwa"), QStringLiteral("P%1").arg(i));
            t.setValue(QStringLiteral("Status"), i % 2 ? QStringLiteral("Normal") : QStringLiteral("New"));
            t.setValue(QStringLiteral("Cena"), i * 1.5);
            t.post();
        }
    }
    QString quoted() const { return quoteLiteral(table); }
    int count() const
    {
        Table t;
        t.open(table);
        return t.recordCount();
    }
};

TEST_F(QueryTest, QuotedPathsWithApostrophes)
{
    EXPECT_EQ(quoted(), QStringLiteral("'") + dir.path() + QStringLiteral("/Ania''s shop/Bd/towary.db'"));
    Query q;
    q.open(QStringLiteral("select Nazwa from %1 where Status='New' order by Cena desc").arg(quoted()));
    EXPECT_EQ(q.recordCount(), 5);
    EXPECT_EQ(q.text(QStringLiteral("Nazwa")), QStringLiteral("P10"));
    EXPECT_EQ(q.tablePaths(), QStringList{table});
    // a crafted name stays inside its quotes
    EXPECT_THROW(q.open(QStringLiteral("select * from 'x.db; drop table towary; --'")), shell::AppError);
    EXPECT_EQ(count(), 10);
}

TEST_F(QueryTest, LiveResultEditsAndDeletesByRowIdentity)
{
    Query q;
    q.open(QStringLiteral("Select Nazwa, Cena from %1 where Status='Normal'").arg(quoted()));
    ASSERT_TRUE(q.isLive());
    EXPECT_EQ(q.recordCount(), 5);
    q.setValue(QStringLiteral("Cena"), 99.0);
    q.post();
    Table t;
    t.open(table);
    ASSERT_TRUE(t.locate(QStringLiteral("Nazwa"), QStringLiteral("P1")));
    EXPECT_DOUBLE_EQ(t.number(QStringLiteral("Cena")), 99.0);
    while (!q.isEmpty())
        q.remove();
    EXPECT_EQ(count(), 5);
}

TEST_F(QueryTest, ResultsThatCannotBeChangedAreReadOnly)
{
    const QStringList statements = {
        QStringLiteral("select Nazwa from %1 limit 3"),
        QStringLiteral("select Nazwa from %1 order by Nazwa limit 3 offset 2"),
        QStringLiteral("select distinct Status from %1"),
        QStringLiteral("select Status, count(*) from %1 group by Status"),
        QStringLiteral("select max(Cena) from %1"),
        QStringLiteral("select Nazwa || '!' from %1"),
        QStringLiteral("select a.Nazwa from %1 a join %1 b on a.Nazwa = b.Nazwa"),
    };
    for (const QString& s : statements) {
        Query q;
        q.open(s.arg(quoted()));
        EXPECT_FALSE(q.isLive()) << s.toStdString();
        ASSERT_FALSE(q.isEmpty()) << s.toStdString();
        EXPECT_THROW(q.remove(), shell::AppError) << s.toStdString();
        EXPECT_EQ(count(), 10) << s.toStdString();
    }
    // deleting everything a LIMIT result showed removes exactly those records
    Query q;
    q.open(QStringLiteral("select Nazwa from %1 limit 3").arg(quoted()));
    EXPECT_EQ(q.recordCount(), 3);
}

TEST_F(QueryTest, StatementsThatChangeTablesAndErrors)
{
    Query q;
    q.exec(QStringLiteral("update %1 set Status='Sale' where Cena > 10").arg(quoted()));
    EXPECT_EQ(q.rowsAffected(), 4);
    EXPECT_FALSE(q.isOpen());
    q.exec(QStringLiteral("delete from %1 where Status='Sale'").arg(quoted()));
    EXPECT_EQ(count(), 6);
    EXPECT_THROW(q.open(QStringLiteral("select Nazwa frm %1").arg(quoted())), shell::AppError);
    EXPECT_THROW(q.open(QStringLiteral("select Nazwa from '/nie/ma/takiej.db'")), shell::AppError);
    EXPECT_THROW(q.open(QStringLiteral("select 1; select 2")), shell::AppError);
    q.open(QStringLiteral("select count(*) as n from %1").arg(quoted()));
    EXPECT_EQ(q.text(QStringLiteral("n")), QStringLiteral("6"));
}

} // namespace
