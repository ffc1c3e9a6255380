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
            EXPECT_EQ(QByteArray(block + 6, keySize), QByteArray(e.data, keySize)) << "block " << e.blocknumber;
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
                const QString error = s.tryRun(QStringLiteral("INSERT INTO c (Name, Area) VALUES (?, ?)"),
                                               {name, double(op)});
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
        EXPECT_TRUE(s.tryRun(QStringLiteral("UPDATE c SET Name = 'AAA' WHERE Name = ?"), {model.rbegin()->first})
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

TEST_F(ParadoxKeyed, ManyBlocksGetAnIndexOfSeveralLevels)
{
    const QString file = copy(QStringLiteral("country.db"));
    QStringList keys;
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
        keys = column(s, QStringLiteral("SELECT Name FROM c"));
        s.run(QStringLiteral("BEGIN"));
        // Descending keys split the first block again and again: half-full blocks, many of them.
        for (int i = 2400; i > 0; --i) {
            const QString name = QStringLiteral("M%1").arg(i, 5, 10, QLatin1Char('0'));
            s.run(QStringLiteral("INSERT INTO c (Name, Population) VALUES (?, ?)"), {name, double(i)});
            keys << name;
        }
        s.run(QStringLiteral("COMMIT"));
    }
    const QString index = path(QStringLiteral("country.PX"));
    const QByteArray px = testsupport::readFile(index);
    EXPECT_GE(int(px.at(0x20)), 2) << "index levels";
    expectIndexed(file, index, sorted(keys));
}
