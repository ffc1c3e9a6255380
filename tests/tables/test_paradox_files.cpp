// Paradox tables through the paradox virtual table module: the shared sample files (every field type,
// memos and graphics from the .MB file, code pages), writes checked against pxlib, read-only cases and
// damaged files.

#include "filetable_sql.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

extern "C" { // pxlib's header does not say so itself
#include <paradox.h>
}

using filetabletest::SqlSession;

namespace {

class ParadoxFiles : public ::testing::Test {
protected:
    QString copy(const QString& name) { return testsupport::copySharedTable(name, m_dir.path()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // An empty, unkeyed table made by pxlib with every field type this program writes.
    QString makeWritableTable()
    {
        const QString file = path(QStringLiteral("wszystko.db"));
        pxdoc_t* px = PX_new();
        static char names[][16] = {"Nazwa", "Liczba", "Kwota", "Krotka", "Dluga", "Licznik", "Tak", "Dzien", "Godzina",
                                   "Chwila", "Bcd", "Bajty"};
        const struct {
            char type;
            int size;
        } types[] = {{pxfAlpha, 20}, {pxfNumber, 8}, {pxfCurrency, 8}, {pxfShort, 2}, {pxfLong, 4}, {pxfAutoInc, 4},
                     {pxfLogical, 1}, {pxfDate, 4}, {pxfTime, 4}, {pxfTimestamp, 8}, {pxfBCD, 17}, {pxfBytes, 6}};
        const int count = int(sizeof types / sizeof types[0]);
        auto* fields = static_cast<pxfield_t*>(px->malloc(px, count * sizeof(pxfield_t), "test"));
        for (int i = 0; i < count; ++i) {
            fields[i].px_fname = PX_strdup(px, names[i]);
            fields[i].px_ftype = types[i].type;
            fields[i].px_flen = types[i].size;
            fields[i].px_fdc = types[i].type == pxfBCD ? 2 : 0;
        }
        EXPECT_EQ(PX_create_file(px, fields, count, QFile::encodeName(file).constData(), pxfFileTypNonIndexDB), 0);
        PX_set_parameter(px, "codepage", "1250");
        PX_close(px);
        PX_delete(px);
        // pxlib leaves the code page unset; this is a Polish table.
        QByteArray bytes = testsupport::readFile(file);
        qToLittleEndian<quint16>(1250, bytes.data() + 0x6A);
        testsupport::writeFile(file, bytes);
        return file;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ParadoxFiles, RecognisedByContent)
{
    for (const char* name : {"country.db", "biolife.db", "ORDERS.DB", "TypSammlung.DB", "AREACODES.DB"}) {
        const QString file = copy(QString::fromLatin1(name));
        EXPECT_EQ(tables::detectFormat(file), tables::FileFormat::Paradox) << name;
    }
    EXPECT_FALSE(tables::looksLikeParadox(testsupport::readFile(copy(QStringLiteral("ORDERS.PX"))), 4096));
    EXPECT_FALSE(tables::looksLikeParadox(testsupport::readFile(copy(QStringLiteral("dbase_03.dbf"))), 9286));
    EXPECT_FALSE(tables::looksLikeParadox(QByteArray(40, 'x'), 40));
}

TEST_F(ParadoxFiles, CountryAndOrdersSamples)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), copy(QStringLiteral("country.db"))), QString());
    const auto cols = s.columns(QStringLiteral("c"));
    ASSERT_EQ(cols.size(), 5);
    EXPECT_EQ(cols[0], qMakePair(QStringLiteral("Name"), QStringLiteral("CHAR READONLY(24)"))); // keyed: read-only
    EXPECT_EQ(cols[3], qMakePair(QStringLiteral("Area"), QStringLiteral("DOUBLE READONLY")));
    const auto rows = s.select(QStringLiteral("SELECT * FROM c"));
    ASSERT_EQ(rows.size(), 18);
    EXPECT_EQ(rows[0], (QVector<QVariant>{QStringLiteral("Argentina"), QStringLiteral("Buenos Aires"),
                                          QStringLiteral("South America"), 2777815.0, 32300003.0}));
    EXPECT_EQ(rows[15][0].toString(), QStringLiteral("United States of America"));
    EXPECT_EQ(rows[17][0].toString(), QStringLiteral("Venezuela"));
    EXPECT_EQ(rows[17][3].toDouble(), 912047.0);
    EXPECT_EQ(s.value(QStringLiteral("SELECT Capital FROM c WHERE Name = 'Colombia'")).toString(), QStringLiteral("Bagota"));

    ASSERT_EQ(s.attach(QStringLiteral("o"), QStringLiteral("paradox"), copy(QStringLiteral("ORDERS.DB"))), QString());
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM o")).toInt(), 224);
    const auto first = s.select(QStringLiteral("SELECT * FROM o WHERE rowid = 1"));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0], (QVector<QVariant>{1001.0, 1221.0, QStringLiteral("1988-04-03"), QStringLiteral("1988-04-05"),
                                           QStringLiteral("UPS"), 7320.0, 7320.0, 0.0, QStringLiteral("FOB"),
                                           QStringLiteral("Credit"), QStringLiteral("Apr")}));
    const auto last = s.select(QStringLiteral("SELECT \"Order No\", \"Sale Date\", \"Total Invoice\", \"Amount Paid\", "
                                              "\"Balance Due\" FROM o WHERE rowid = 224"));
    EXPECT_EQ(last[0], (QVector<QVariant>{1669.0, QStringLiteral("1992-05-05"), 325.0, 18.0, 307.0}));
    EXPECT_EQ(s.columns(QStringLiteral("o"))[5].second, QStringLiteral("MONEY REAL READONLY"));
}

TEST_F(ParadoxFiles, EveryTypeOfTheTypeCollection)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("paradox"), copy(QStringLiteral("TypSammlung.DB"))), QString());
    const auto cols = s.columns(QStringLiteral("t"));
    ASSERT_EQ(cols.size(), 14);
    const QStringList names = {QStringLiteral("Alpha"), QStringLiteral("Numerisch"), QStringLiteral("Währung"),
                               QStringLiteral("Integer kurz"), QStringLiteral("Integer lang"), QStringLiteral("BCD"),
                               QStringLiteral("Datum"), QStringLiteral("Zeit"), QStringLiteral("Datum/Zeit"),
                               QStringLiteral("Memo"), QStringLiteral("Logisch"), QStringLiteral("Zähler"),
                               QStringLiteral("Binär"), QStringLiteral("Bytes")};
    const QStringList types = {QStringLiteral("CHAR READONLY(30)"), QStringLiteral("DOUBLE READONLY"),
                               QStringLiteral("MONEY REAL READONLY"), QStringLiteral("SMALLINT READONLY"),
                               QStringLiteral("INTEGER READONLY"), QStringLiteral("BCD REAL READONLY"),
                               QStringLiteral("DATE READONLY"), QStringLiteral("TIME READONLY"),
                               QStringLiteral("TIMESTAMP READONLY"), QStringLiteral("MEMO TEXT READONLY"),
                               QStringLiteral("BOOLEAN READONLY"), QStringLiteral("AUTOINC INTEGER READONLY"),
                               QStringLiteral("BLOB READONLY"), QStringLiteral("BYTES BLOB READONLY(255)")};
    for (int i = 0; i < cols.size(); ++i) {
        EXPECT_EQ(cols[i].first, names[i]);
        EXPECT_EQ(cols[i].second, types[i]);
    }

    const auto r = s.select(QStringLiteral("SELECT * FROM t"));
    ASSERT_EQ(r.size(), 5);
    const QVariant null;
    EXPECT_EQ(r[0], (QVector<QVariant>{QStringLiteral("AAA Irgendein Text"), 40.0, 40.0, qint64(40), qint64(40), 40.0,
                                       QStringLiteral("1970-01-01"), QStringLiteral("00:00:00"),
                                       QStringLiteral("1970-01-01 11:00:00"), null, null, qint64(1), null, null}));
    EXPECT_EQ(r[1], (QVector<QVariant>{QStringLiteral("Erste Zeile"), 23.0, null, null, null, null, null, null, null, null,
                                       qint64(0), qint64(3), null, null}));
    EXPECT_EQ(r[2][0].toString(), QStringLiteral("Fünfter Datensatz"));
    EXPECT_DOUBLE_EQ(r[2][1].toDouble(), 1.34);
    EXPECT_DOUBLE_EQ(r[2][2].toDouble(), 13.002);
    EXPECT_DOUBLE_EQ(r[2][5].toDouble(), 13.123457);
    EXPECT_TRUE(r[2][6].isNull()); // a day before year 1 is no date
    EXPECT_EQ(r[2][7].toString(), QStringLiteral("01:10:12"));
    EXPECT_EQ(r[2][9].toString(), QStringLiteral("Dies ist eine Memo im 'Fünften Datensat'"));
    EXPECT_EQ(r[2][11].toLongLong(), 5);
    EXPECT_EQ(r[3], (QVector<QVariant>{QStringLiteral("Null-Werte"), 0.0, 0.0, qint64(0), qint64(0), 0.0, null, null, null,
                                       null, null, qint64(4), null, null}));
    EXPECT_EQ(r[4], (QVector<QVariant>{QStringLiteral("Zweite Zeile"), -40.0, -40.0, qint64(-40), qint64(-40), -40.0,
                                       QStringLiteral("1999-09-09"), QStringLiteral("11:11:11"),
                                       QStringLiteral("2003-06-10 11:11:11"), null, qint64(1), qint64(2), null, null}));
    const QString error = s.tryRun(QStringLiteral("UPDATE t SET Alpha = 'x' WHERE rowid = 1"));
    EXPECT_TRUE(error.contains(QStringLiteral("TypSammlung.DB: the table is keyed"))) << error.toStdString();
}

TEST_F(ParadoxFiles, MemosAndGraphicsComeFromTheBlobFile)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), copy(QStringLiteral("biolife.db"))), QString());
    const auto cols = s.columns(QStringLiteral("b"));
    EXPECT_EQ(cols[0].first, QStringLiteral("Species No"));
    EXPECT_EQ(cols[4].first, QStringLiteral("Length (cm)"));
    EXPECT_EQ(cols[7].second, QStringLiteral("GRAPHIC BLOB READONLY"));
    const auto first = s.select(QStringLiteral("SELECT * FROM b WHERE rowid = 1"));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0][0].toDouble(), 90020.0);
    EXPECT_EQ(first[0][1].toString(), QStringLiteral("Triggerfish"));
    EXPECT_EQ(first[0][2].toString(), QStringLiteral("Clown Triggerfish"));
    EXPECT_EQ(first[0][3].toString(), QStringLiteral("Ballistoides conspicillum"));
    EXPECT_NEAR(first[0][5].toDouble(), 19.685, 1e-3);
    const QString notes = first[0][6].toString();
    EXPECT_EQ(notes.size(), 701);
    EXPECT_TRUE(notes.startsWith(QStringLiteral("Also known as the big spotted triggerfish."))) << notes.left(60).toStdString();
    const QByteArray picture = first[0][7].toByteArray();
    EXPECT_EQ(picture.size(), 38878);
    EXPECT_TRUE(picture.startsWith("BM"));
    // Every record has its memo and picture.
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM b WHERE length(Notes) BETWEEN 220 AND 886 "
                                     "AND length(Graphic) = 38878 AND substr(Graphic, 1, 2) = X'424D'")).toInt(),
              28);
    EXPECT_EQ(s.value(QStringLiteral("SELECT \"Common_Name\" FROM b WHERE rowid = 28")).toString(), QStringLiteral("Surf Smelt"));
}

TEST_F(ParadoxFiles, AccentedLettersOfCodePage1252)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("a"), QStringLiteral("paradox"), copy(QStringLiteral("AREACODES.DB"))), QString());
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM a")).toInt(), 370);
    EXPECT_EQ(s.value(QStringLiteral("SELECT Cities FROM a WHERE rowid = 98")).toString(), QStringLiteral("San José"));
    EXPECT_EQ(s.value(QStringLiteral("SELECT Cities FROM a WHERE AC = '418'")).toString(), QStringLiteral("Québec, Gaspé, southeastern"));
    EXPECT_TRUE(s.value(QStringLiteral("SELECT Cities FROM a WHERE AC = '438'")).toString().startsWith(QStringLiteral("Montréal")));
    EXPECT_EQ(s.select(QStringLiteral("SELECT AC, State, Cities FROM a WHERE rowid = 370"))[0],
              (QVector<QVariant>{QStringLiteral("989"), QStringLiteral("MI"), QStringLiteral("Saginaw")}));
}
