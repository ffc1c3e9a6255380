// Keyed Paradox tables changed through the engine: records stay in key order across the data blocks, the
// primary index (.PX) follows every change, and pxlib, reading the files on its own, agrees.

#include "filetable_sql.h"
#include "paradox_pxlib.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <map>
#include <random>

using filetabletest::SqlSession;
using pxcheck::PxTable;

namespace {

class ParadoxKeyed : public ::testing::Test {
protected:
    QString copy(const QString& name) { return testsupport::copySharedTable(name, m_dir.path()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Checks a keyed table through pxlib: the records found through its index are the expected keys in
    // order, and every index entry names its block's first key and record count.
    void expectIndexed(const QString& table, const QString& index, const QStringList& keys, int keyField = 0)
    {
        PxTable px(table, index);
        ASSERT_TRUE(px.ok());
        EXPECT_EQ(px.records(), keys.size());
        EXPECT_EQ(px.column(keyField), keys);
        const auto entries = px.leafEntries();
        int total = 0;
        for (const pxpindex_t& e : entries)
            total += e.numrecords;
        EXPECT_EQ(total, keys.size());
        EXPECT_EQ(entries.size(), PX_get_num_records(px.index()) > 0 ? entries.size() : 0);
        const QByteArray bytes = testsupport::readFile(table);
        const int headerSize = qFromLittleEndian<quint16>(bytes.constData() + 2);
        const int blockSize = bytes.at(5) * 1024;
        const int recordSize = qFromLittleEndian<quint16>(bytes.constData());
        const int keySize = PX_get_recordsize(px.index()) - 6;
        for (const pxpindex_t& e : entries) {
            const char* block = bytes.constData() + headerSize + (e.blocknumber - 1) * blockSize;
            const int records = qFromLittleEndian<qint16>(block + 4) / recordSize + 1;
            EXPECT_EQ(records, e.numrecords) << "block " << e.blocknumber;
            EXPECT_EQ(QByteArray(block + 6, keySize), QByteArray(e.data, keySize))
                << "block " << e.blocknumber;
        }
    }

    QTemporaryDir m_dir;
};

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end(),
              [](const QString& a, const QString& b) { return a.toLatin1() < b.toLatin1(); });
    return list;
}

QStringList column(SqlSession& s, const QString& sql)
{
    QStringList values;
    for (const auto& r : s.select(sql))
        values << r[0].toString();
    return values;
}

} // namespace

TEST_F(ParadoxKeyed, RandomInsertsAndDeletesKeepKeyOrderAndTheIndex)
{
    const QString file = copy(QStringLiteral("country.db"));
    const QString index = path(QStringLiteral("country.PX")); // the sample comes without one
    std::map<QString, double> model;
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
        for (const auto& r : s.select(QStringLiteral("SELECT Name, Area FROM c")))
            model[r[0].toString()] = r[1].toDouble();
        std::mt19937 random(15);
        for (int op = 0; op < 1000; ++op) {
            if (model.empty() || random() % 5 < 3) {
                const QString name = QStringLiteral("K%1").arg(random() % 2000, 4, 10, QLatin1Char('0'));
                const QString error =
                    s.tryRun(QStringLiteral("INSERT INTO c (Name, Area) VALUES (?, ?)"), {name, double(op)});
                if (model.count(name))
                    EXPECT_TRUE(error.contains(QStringLiteral("key violation"))) << error.toStdString();
                else
                    EXPECT_EQ(error, QString());
                model.emplace(name, op);
            } else {
                auto it = model.begin();
                std::advance(it, random() % model.size());
                s.run(QStringLiteral("DELETE FROM c WHERE Name = ?"), {it->first});
                model.erase(it);
            }
        }
        // A changed key moves its record; a taken key is refused.
        ASSERT_GE(model.size(), 2u);
        const QString last = model.rbegin()->first;
        s.run(QStringLiteral("UPDATE c SET Name = 'AAA' WHERE Name = ?"), {last});
        model.erase(last);
        model[QStringLiteral("AAA")] = 0;
        EXPECT_TRUE(
            s.tryRun(QStringLiteral("UPDATE c SET Name = 'AAA' WHERE Name = ?"), {model.rbegin()->first})
                .contains(QStringLiteral("key violation")));
        EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM c")).toInt(), int(model.size()));
    }
    QStringList keys;
    for (const auto& [name, area] : model)
        keys << name;
    keys = sorted(keys);
    expectIndexed(file, index, keys);

    // Opened again, the engine sees the records in key order too, and keeps on changing them.
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
    EXPECT_EQ(column(s, QStringLiteral("SELECT Name FROM c")), keys);
    s.run(QStringLiteral("DELETE FROM c WHERE Name = ?"), {keys.first()});
    s.run(QStringLiteral("INSERT INTO c (Name) VALUES ('ZZZ')"));
    keys.removeFirst();
    keys << QStringLiteral("ZZZ");
    expectIndexed(file, index, keys);
}

TEST_F(ParadoxKeyed, ManyBlocksGetLargerIndexBlocks)
{
    const QString file = copy(QStringLiteral("country.db"));
    QStringList keys;
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
        keys = column(s, QStringLiteral("SELECT Name FROM c"));
        s.run(QStringLiteral("BEGIN"));
        // Descending keys split the first block again and again: half-full blocks, many of them.
        for (int i = 1200; i > 0; --i) {
            const QString name = QStringLiteral("M%1").arg(i, 5, 10, QLatin1Char('0'));
            s.run(QStringLiteral("INSERT INTO c (Name, Population) VALUES (?, ?)"), {name, double(i)});
            keys << name;
        }
        s.run(QStringLiteral("COMMIT"));
    }
    const QString index = path(QStringLiteral("country.PX"));
    const QByteArray px = testsupport::readFile(index);
    EXPECT_EQ(int(px.at(0x20)), 1) << "index levels";
    EXPECT_GE(int(px.at(0x05)), 4) << "index block size in KB";
    expectIndexed(file, index, sorted(keys));
}

TEST_F(ParadoxKeyed, EverySampleIsWritableAndPxlibReadsTheWrite)
{
    const struct {
        const char* table;
        const char* index;
        const char* insert;
        const char* update;
        const char* remove;
    } samples[] = {
        {"country.db", "country.PX", "INSERT INTO t (Name, Capital) VALUES ('Atlantis', 'Poseidonia')",
         "UPDATE t SET Capital = 'Bogota' WHERE Name = 'Colombia'", "DELETE FROM t WHERE Name = 'Bolivia'"},
        {"biolife.db", "biolife.PX",
         "INSERT INTO t (\"Species No\", Category, Notes) VALUES (1, 'Nowa', 'Notatka')",
         "UPDATE t SET Notes = 'Krótko' WHERE \"Species No\" = 90020", "DELETE FROM t WHERE rowid = 2"},
        {"ORDERS.DB", "ORDERS.PX",
         "INSERT INTO t (\"Order No\", \"Sale Date\") VALUES (1500.5, '2024-01-02')",
         "UPDATE t SET \"Order No\" = 5000 WHERE \"Order No\" = 1001",
         "DELETE FROM t WHERE \"Order No\" = 1669"},
        {"TypSammlung.DB", "TypSammlung.PX",
         "INSERT INTO t (Alpha, Numerisch, Memo) VALUES ('BBB', 7, 'kurz')",
         "UPDATE t SET Memo = 'Ein längeres Memo als das Feld' WHERE Alpha = 'Erste Zeile'",
         "DELETE FROM t WHERE Alpha = 'Null-Werte'"},
        {"AREACODES.DB", "AREACODES.PX", "INSERT INTO t (AC, State, Cities) VALUES ('000', 'XX', 'Nowhere')",
         "UPDATE t SET Cities = 'Saginaw, Bay City' WHERE AC = '989'", "DELETE FROM t WHERE AC = '201'"},
    };
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.table);
        const QString file = copy(QString::fromLatin1(sample.table));
        int before = 0;
        {
            SqlSession s;
            ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("paradox"), file), QString());
            before = s.value(QStringLiteral("SELECT count(*) FROM t")).toInt();
            for (const char* sql : {sample.insert, sample.update, sample.remove})
                EXPECT_EQ(s.tryRun(QString::fromUtf8(sql)), QString()) << sql;
        }
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("paradox"), file), QString());
        QStringList keys;
        for (const auto& r : s.select(QStringLiteral("SELECT * FROM t")))
            keys << r[0].toString();
        EXPECT_EQ(keys.size(), before);
        PxTable px(file, path(QString::fromLatin1(sample.index)));
        ASSERT_TRUE(px.ok());
        EXPECT_EQ(px.records(), before);
        const QVector<QByteArray> viaIndex = px.rawRecords();
        ASSERT_EQ(viaIndex.size(), before);
        // Through the index the raw keys come in ascending byte order, as the engine lists them.
        const int keySize = PX_get_recordsize(px.index()) - 6;
        for (int i = 1; i < viaIndex.size(); ++i)
            EXPECT_LT(viaIndex[i - 1].left(keySize), viaIndex[i].left(keySize)) << i;
    }
}

TEST_F(ParadoxKeyed, OpeningAndReadingChangesNoFile)
{
    for (const char* name : {"country.db", "biolife.db", "ORDERS.DB", "TypSammlung.DB", "AREACODES.DB"})
        copy(QString::fromLatin1(name));
    const auto snapshot = [&] {
        QMap<QString, QByteArray> files;
        for (const QString& f : QDir(m_dir.path()).entryList(QDir::Files))
            files[f] = QCryptographicHash::hash(testsupport::readFile(path(f)), QCryptographicHash::Sha256);
        return files;
    };
    const auto before = snapshot();
    for (const QString& f : before.keys()) {
        if (!f.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive))
            continue;
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("paradox"), path(f)), QString());
        s.select(QStringLiteral("SELECT * FROM t"));
        // A change that is refused writes nothing either (NUL in a text).
        s.tryRun(QStringLiteral("UPDATE t SET rowid = rowid WHERE 0"));
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ParadoxKeyed, DuplicateKeysAndAutoIncrementKeys)
{
    const QString file = copy(QStringLiteral("TypSammlung.DB"));
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("paradox"), file), QString());
    const QByteArray before = testsupport::readFile(file);
    const QString error =
        s.tryRun(QStringLiteral("INSERT INTO t (Alpha, Numerisch) VALUES ('Erste Zeile', 23)"));
    EXPECT_TRUE(error.contains(QStringLiteral("key violation"))) << error.toStdString();
    EXPECT_EQ(testsupport::readFile(file), before);
    // Same text, another number: a different key of two fields.
    s.run(QStringLiteral("INSERT INTO t (Alpha, Numerisch) VALUES ('Erste Zeile', 24)"));
    s.run(QStringLiteral("INSERT INTO t (Alpha) VALUES ('Neu')"));
    // The counter goes on from the header's last value (5).
    EXPECT_EQ(s.value(QStringLiteral("SELECT \"Zähler\" FROM t WHERE Alpha = 'Neu'")).toInt(), 7);
    PxTable px(file, path(QStringLiteral("TypSammlung.PX")));
    EXPECT_EQ(px.doc()->px_head->px_autoinc, 7);
    EXPECT_EQ(px.records(), 7);
    EXPECT_EQ(px.column(0), (QStringList{QStringLiteral("AAA Irgendein Text"), QStringLiteral("Erste Zeile"),
                                         QStringLiteral("Erste Zeile"),
                                         QString::fromLatin1("F\xfcnfter Datensatz"), QStringLiteral("Neu"),
                                         QStringLiteral("Null-Werte"), QStringLiteral("Zweite Zeile")}));
}
