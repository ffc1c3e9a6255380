// dBASE and Paradox files through the engine's Table and Query, as Importer uses them.

#include "shell/error.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace tables;

namespace {

class FileTablesThroughEngine : public ::testing::Test {
protected:
    QString copy(const QString& name) { return testsupport::copySharedTable(name, m_dir.path()); }

    QString unkeyedCountry()
    {
        const QString file = copy(QStringLiteral("country.db"));
        QByteArray bytes = testsupport::readFile(file);
        bytes[0x04] = 2;
        qToLittleEndian<quint16>(0, bytes.data() + 0x23);
        testsupport::writeFile(file, bytes);
        return file;
    }

    static QString typeCodes(const DataSet& d)
    {
        QString codes;
        for (const Field& f : d.fields())
            codes += typeCode(f.type);
        return codes;
    }

    QTemporaryDir m_dir;
};

QString quoted(const QString& path)
{
    return quoteLiteral(path);
}

} // namespace

TEST_F(FileTablesThroughEngine, DbaseTableNavigatesFiltersAndChanges)
{
    const QString file = copy(QStringLiteral("dbase_8b.dbf"));
    Table t;
    t.open(file);
    EXPECT_EQ(t.format(), FileFormat::DBase);
    EXPECT_FALSE(t.isReadOnly());
    EXPECT_EQ(typeCodes(t), QStringLiteral("ANDLNM"));
    EXPECT_EQ(t.fields()[0].size, 100);
    EXPECT_EQ(t.recordCount(), 10);
    t.last();
    EXPECT_EQ(t.text(QStringLiteral("CHARACTER")), QStringLiteral("Ten records stored in this database"));
    ASSERT_TRUE(t.locate(QStringLiteral("CHARACTER"), QStringLiteral("tWo")));
    EXPECT_EQ(t.recordNumber(), 2);
    EXPECT_TRUE(t.text(QStringLiteral("MEMO")).startsWith(QStringLiteral("Second memo")));

    t.setFilter(QStringLiteral("LOGICAL = 1"));
    EXPECT_EQ(t.recordCount(), 2);
    t.setFilter(QString());

    t.append();
    t.setValue(QStringLiteral("CHARACTER"), QStringLiteral("Jedenaście"));
    t.setValue(QStringLiteral("DATE"), QDate(2024, 5, 17));
    t.setValue(QStringLiteral("MEMO"), QStringLiteral("Notatka"));
    t.post();
    EXPECT_EQ(t.recordCount(), 11);
    t.first();
    t.edit();
    t.setValue(QStringLiteral("NUMERICAL"), 99.5);
    t.post();
    ASSERT_TRUE(t.locate(QStringLiteral("CHARACTER"), QStringLiteral("Three")));
    t.remove();
    EXPECT_EQ(t.recordCount(), 10);
    t.close();

    Table again;
    again.open(file);
    EXPECT_EQ(again.recordCount(), 10);
    EXPECT_FALSE(again.locate(QStringLiteral("CHARACTER"), QStringLiteral("Three")));
    ASSERT_TRUE(again.locate(QStringLiteral("CHARACTER"), QStringLiteral("Jedenaście")));
    EXPECT_EQ(again.value(QStringLiteral("DATE")).toString(), QStringLiteral("2024-05-17"));
    EXPECT_EQ(again.text(QStringLiteral("MEMO")), QStringLiteral("Notatka"));
    again.first();
    EXPECT_DOUBLE_EQ(again.number(QStringLiteral("NUMERICAL")), 99.5);
}

TEST_F(FileTablesThroughEngine, KeyedParadoxTableWithMemosIsEdited)
{
    const QString file = copy(QStringLiteral("TypSammlung.DB"));
    {
        Table t;
        t.open(file);
        EXPECT_EQ(t.format(), FileFormat::Paradox);
        EXPECT_FALSE(t.isReadOnly());
        EXPECT_EQ(typeCodes(t), QStringLiteral("AN$SI#DT@ML+BY"));
        for (const Field& f : t.fields())
            EXPECT_EQ(f.modifiable, f.type != FieldType::AutoInc) << f.name.toStdString();
        EXPECT_EQ(t.recordCount(), 5);
        ASSERT_TRUE(t.locate(QStringLiteral("Alpha"), QStringLiteral("fünfter datensatz")));
        EXPECT_EQ(t.text(QStringLiteral("Memo")), QStringLiteral("Dies ist eine Memo im 'Fünften Datensat'"));
        t.edit();
        t.setValue(QStringLiteral("Alpha"), QStringLiteral("Sechster Datensatz")); // a new key: it moves
        t.setValue(QStringLiteral("Memo"), QStringLiteral("Ein neues Memo, länger als der Vorspann"));
        t.post();
        t.setFilter(QStringLiteral("\"Integer lang\" < 0"));
        EXPECT_EQ(t.recordCount(), 1);
    }
    Table t;
    t.open(file);
    ASSERT_TRUE(t.locate(QStringLiteral("Alpha"), QStringLiteral("Sechster Datensatz")));
    EXPECT_EQ(t.text(QStringLiteral("Memo")), QStringLiteral("Ein neues Memo, länger als der Vorspann"));
    EXPECT_FALSE(t.locate(QStringLiteral("Alpha"), QStringLiteral("Fünfter Datensatz")));
}

TEST_F(FileTablesThroughEngine, ParadoxTableTakesPolishTextAndRefusesWhatItCannotHold)
{
    const QString file = unkeyedCountry();
    Table t;
    t.open(file);
    EXPECT_FALSE(t.isReadOnly());
    t.append();
    t.setValue(QStringLiteral("Name"), QStringLiteral("Polska"));
    t.setValue(QStringLiteral("Capital"), QStringLiteral("Warszawa"));
    t.setValue(QStringLiteral("Area"), 312696.0);
    t.post();
    EXPECT_EQ(t.recordCount(), 19);

    // Code page 850 has no "ł": refused, naming the field; nothing is stored.
    t.append();
    t.setValue(QStringLiteral("Name"), QStringLiteral("Łotwa"));
    try {
        t.post();
        ADD_FAILURE() << "post went through";
    } catch (const shell::AppError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("field Name"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("CP850"))) << e.message().toStdString();
    }
    t.cancel();
    t.close();
    t.open(file);
    EXPECT_EQ(t.recordCount(), 19);
    t.last();
    EXPECT_EQ(t.text(QStringLiteral("Name")), QStringLiteral("Polska"));
}

TEST_F(FileTablesThroughEngine, QueryJoinsDbaseAndParadoxFilesByTheirPaths)
{
    const QString dbf = copy(QStringLiteral("encoding_1250.dbf"));
    const QString db = copy(QStringLiteral("country.db"));
    Query q;
    q.open(
        QStringLiteral(
            "select d.encoding, c.Name from %1 d join %2 c on c.rowid = d.id where d.id <= 3 order by d.id")
            .arg(quoted(dbf), quoted(db)));
    EXPECT_FALSE(q.isLive());
    ASSERT_EQ(q.recordCount(), 3);
    q.first();
    EXPECT_EQ(q.text(QStringLiteral("Name")), QStringLiteral("Argentina"));
    q.next();
    EXPECT_EQ(q.text(QStringLiteral("encoding")), QStringLiteral("ISO-8859-2"));
    EXPECT_EQ(q.tablePaths().size(), 2);
}

TEST_F(FileTablesThroughEngine, LiveQueryDeletesFromTheDbaseFile)
{
    const QString dbf = copy(QStringLiteral("dbase_8b.dbf"));
    Query q;
    q.open(QStringLiteral("select CHARACTER, LOGICAL from %1 where LOGICAL = 1").arg(quoted(dbf)));
    ASSERT_TRUE(q.isLive());
    ASSERT_EQ(q.recordCount(), 2);
    q.first();
    q.remove();
    q.close();
    Table t;
    t.open(dbf);
    EXPECT_EQ(t.recordCount(), 9);
    EXPECT_FALSE(t.locate(QStringLiteral("CHARACTER"), QStringLiteral("One")));
}
