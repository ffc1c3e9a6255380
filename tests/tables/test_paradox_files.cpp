// Paradox tables through the paradox virtual table module: the shared sample files (every field type,
// memos and graphics from the .MB file, code pages), writes checked against pxlib, read-only cases and
// damaged files.

#include "filetable_sql.h"
#include "shell/error.h"
#include "shell/tables/codepage.h"
#include "shell/tables/tablefilemodule.h"
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
        static char names[][16] = {"Nazwa", "Liczba", "Kwota",   "Krotka", "Dluga", "Licznik",
                                   "Tak",   "Dzien",  "Godzina", "Chwila", "Bcd",   "Bajty"};
        const struct {
            char type;
            int size;
        } types[] = {{pxfAlpha, 20}, {pxfNumber, 8},    {pxfCurrency, 8}, {pxfShort, 2},
                     {pxfLong, 4},   {pxfAutoInc, 4},   {pxfLogical, 1},  {pxfDate, 4},
                     {pxfTime, 4},   {pxfTimestamp, 8}, {pxfBCD, 17},     {pxfBytes, 6}};
        const int count = int(sizeof types / sizeof types[0]);
        auto* fields = static_cast<pxfield_t*>(px->malloc(px, count * sizeof(pxfield_t), "test"));
        for (int i = 0; i < count; ++i) {
            fields[i].px_fname = PX_strdup(px, names[i]);
            fields[i].px_ftype = types[i].type;
            fields[i].px_flen = types[i].size;
            fields[i].px_fdc = types[i].type == pxfBCD ? 2 : 0;
        }
        EXPECT_EQ(
            PX_create_file(px, fields, count, QFile::encodeName(file).constData(), pxfFileTypNonIndexDB), 0);
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
    ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), copy(QStringLiteral("country.db"))),
              QString());
    const auto cols = s.columns(QStringLiteral("c"));
    ASSERT_EQ(cols.size(), 5);
    EXPECT_EQ(cols[0], qMakePair(QStringLiteral("Name"), QStringLiteral("CHAR(24)"))); // keyed, and writable
    EXPECT_EQ(cols[3], qMakePair(QStringLiteral("Area"), QStringLiteral("DOUBLE")));
    const auto rows = s.select(QStringLiteral("SELECT * FROM c"));
    ASSERT_EQ(rows.size(), 18);
    EXPECT_EQ(rows[0], (QVector<QVariant>{QStringLiteral("Argentina"), QStringLiteral("Buenos Aires"),
                                          QStringLiteral("South America"), 2777815.0, 32300003.0}));
    EXPECT_EQ(rows[15][0].toString(), QStringLiteral("United States of America"));
    EXPECT_EQ(rows[17][0].toString(), QStringLiteral("Venezuela"));
    EXPECT_EQ(rows[17][3].toDouble(), 912047.0);
    EXPECT_EQ(s.value(QStringLiteral("SELECT Capital FROM c WHERE Name = 'Colombia'")).toString(),
              QStringLiteral("Bagota"));

    ASSERT_EQ(s.attach(QStringLiteral("o"), QStringLiteral("paradox"), copy(QStringLiteral("ORDERS.DB"))),
              QString());
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM o")).toInt(), 224);
    const auto first = s.select(QStringLiteral("SELECT * FROM o WHERE rowid = 1"));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0],
              (QVector<QVariant>{1001.0, 1221.0, QStringLiteral("1988-04-03"), QStringLiteral("1988-04-05"),
                                 QStringLiteral("UPS"), 7320.0, 7320.0, 0.0, QStringLiteral("FOB"),
                                 QStringLiteral("Credit"), QStringLiteral("Apr")}));
    const auto last =
        s.select(QStringLiteral("SELECT \"Order No\", \"Sale Date\", \"Total Invoice\", \"Amount Paid\", "
                                "\"Balance Due\" FROM o WHERE rowid = 224"));
    EXPECT_EQ(last[0], (QVector<QVariant>{1669.0, QStringLiteral("1992-05-05"), 325.0, 18.0, 307.0}));
    EXPECT_EQ(s.columns(QStringLiteral("o"))[5].second, QStringLiteral("MONEY REAL"));
}

TEST_F(ParadoxFiles, EveryTypeOfTheTypeCollection)
{
    SqlSession s;
    ASSERT_EQ(
        s.attach(QStringLiteral("t"), QStringLiteral("paradox"), copy(QStringLiteral("TypSammlung.DB"))),
        QString());
    const auto cols = s.columns(QStringLiteral("t"));
    ASSERT_EQ(cols.size(), 14);
    const QStringList names = {
        QStringLiteral("Alpha"),        QStringLiteral("Numerisch"),    QStringLiteral("Währung"),
        QStringLiteral("Integer kurz"), QStringLiteral("Integer lang"), QStringLiteral("BCD"),
        QStringLiteral("Datum"),        QStringLiteral("Zeit"),         QStringLiteral("Datum/Zeit"),
        QStringLiteral("Memo"),         QStringLiteral("Logisch"),      QStringLiteral("Zähler"),
        QStringLiteral("Binär"),        QStringLiteral("Bytes")};
    const QStringList types = {QStringLiteral("CHAR(30)"),   QStringLiteral("DOUBLE"),
                               QStringLiteral("MONEY REAL"), QStringLiteral("SMALLINT"),
                               QStringLiteral("INTEGER"),    QStringLiteral("BCD REAL"),
                               QStringLiteral("DATE"),       QStringLiteral("TIME"),
                               QStringLiteral("TIMESTAMP"),  QStringLiteral("MEMO TEXT"),
                               QStringLiteral("BOOLEAN"),    QStringLiteral("AUTOINC INTEGER READONLY"),
                               QStringLiteral("BLOB"),       QStringLiteral("BYTES BLOB(255)")};
    for (int i = 0; i < cols.size(); ++i) {
        EXPECT_EQ(cols[i].first, names[i]);
        EXPECT_EQ(cols[i].second, types[i]);
    }

    const auto r = s.select(QStringLiteral("SELECT * FROM t"));
    ASSERT_EQ(r.size(), 5);
    const QVariant null;
    EXPECT_EQ(r[0],
              (QVector<QVariant>{QStringLiteral("AAA Irgendein Text"), 40.0, 40.0, qint64(40), qint64(40),
                                 40.0, QStringLiteral("1970-01-01"), QStringLiteral("00:00:00"),
                                 QStringLiteral("1970-01-01 11:00:00"), null, null, qint64(1), null, null}));
    EXPECT_EQ(r[1], (QVector<QVariant>{QStringLiteral("Erste Zeile"), 23.0, null, null, null, null, null,
                                       null, null, null, qint64(0), qint64(3), null, null}));
    EXPECT_EQ(r[2][0].toString(), QStringLiteral("Fünfter Datensatz"));
    EXPECT_DOUBLE_EQ(r[2][1].toDouble(), 1.34);
    EXPECT_DOUBLE_EQ(r[2][2].toDouble(), 13.002);
    EXPECT_DOUBLE_EQ(r[2][5].toDouble(), 13.123457);
    EXPECT_TRUE(r[2][6].isNull()); // a day before year 1 is no date
    EXPECT_EQ(r[2][7].toString(), QStringLiteral("01:10:12"));
    EXPECT_EQ(r[2][9].toString(), QStringLiteral("Dies ist eine Memo im 'Fünften Datensat'"));
    EXPECT_EQ(r[2][11].toLongLong(), 5);
    EXPECT_EQ(r[3], (QVector<QVariant>{QStringLiteral("Null-Werte"), 0.0, 0.0, qint64(0), qint64(0), 0.0,
                                       null, null, null, null, null, qint64(4), null, null}));
    EXPECT_EQ(r[4], (QVector<QVariant>{QStringLiteral("Zweite Zeile"), -40.0, -40.0, qint64(-40), qint64(-40),
                                       -40.0, QStringLiteral("1999-09-09"), QStringLiteral("11:11:11"),
                                       QStringLiteral("2003-06-10 11:11:11"), null, qint64(1), qint64(2),
                                       null, null}));
}

TEST_F(ParadoxFiles, MemosAndGraphicsComeFromTheBlobFile)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), copy(QStringLiteral("biolife.db"))),
              QString());
    const auto cols = s.columns(QStringLiteral("b"));
    EXPECT_EQ(cols[0].first, QStringLiteral("Species No"));
    EXPECT_EQ(cols[4].first, QStringLiteral("Length (cm)"));
    EXPECT_EQ(cols[7].second, QStringLiteral("GRAPHIC BLOB"));
    const auto first = s.select(QStringLiteral("SELECT * FROM b WHERE rowid = 1"));
    ASSERT_EQ(first.size(), 1);
    EXPECT_EQ(first[0][0].toDouble(), 90020.0);
    EXPECT_EQ(first[0][1].toString(), QStringLiteral("Triggerfish"));
    EXPECT_EQ(first[0][2].toString(), QStringLiteral("Clown Triggerfish"));
    EXPECT_EQ(first[0][3].toString(), QStringLiteral("Ballistoides conspicillum"));
    EXPECT_NEAR(first[0][5].toDouble(), 19.685, 1e-3);
    const QString notes = first[0][6].toString();
    EXPECT_EQ(notes.size(), 701);
    EXPECT_TRUE(notes.startsWith(QStringLiteral("Also known as the big spotted triggerfish.")))
        << notes.left(60).toStdString();
    const QByteArray picture = first[0][7].toByteArray();
    EXPECT_EQ(picture.size(), 38878);
    EXPECT_TRUE(picture.startsWith("BM"));
    // Every record has its memo and picture.
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM b WHERE length(Notes) BETWEEN 220 AND 886 "
                                     "AND length(Graphic) = 38878 AND substr(Graphic, 1, 2) = X'424D'"))
                  .toInt(),
              28);
    EXPECT_EQ(s.value(QStringLiteral("SELECT \"Common_Name\" FROM b WHERE rowid = 28")).toString(),
              QStringLiteral("Surf Smelt"));
}

TEST_F(ParadoxFiles, AccentedLettersOfCodePage1252)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("a"), QStringLiteral("paradox"), copy(QStringLiteral("AREACODES.DB"))),
              QString());
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM a")).toInt(), 370);
    EXPECT_EQ(s.value(QStringLiteral("SELECT Cities FROM a WHERE rowid = 98")).toString(),
              QStringLiteral("San José"));
    EXPECT_EQ(s.value(QStringLiteral("SELECT Cities FROM a WHERE AC = '418'")).toString(),
              QStringLiteral("Québec, Gaspé, southeastern"));
    EXPECT_TRUE(s.value(QStringLiteral("SELECT Cities FROM a WHERE AC = '438'"))
                    .toString()
                    .startsWith(QStringLiteral("Montréal")));
    EXPECT_EQ(s.select(QStringLiteral("SELECT AC, State, Cities FROM a WHERE rowid = 370"))[0],
              (QVector<QVariant>{QStringLiteral("989"), QStringLiteral("MI"), QStringLiteral("Saginaw")}));
}

namespace {

// The sample country table without its key, so that it may be changed.
QString unkeyedCountry(const QString& file)
{
    QByteArray bytes = testsupport::readFile(file);
    bytes[0x04] = 2;                                  // file type: table without primary index
    qToLittleEndian<quint16>(0, bytes.data() + 0x23); // key fields
    testsupport::writeFile(file, bytes);
    return file;
}

// Reads a table with pxlib alone, as another program would: alpha field i of every record.
QStringList pxlibAlphaColumn(const QString& file, int field)
{
    QStringList values;
    pxdoc_t* px = PX_new();
    if (PX_open_file(px, QFile::encodeName(file).constData()) < 0) {
        ADD_FAILURE() << "pxlib cannot open " << file.toStdString();
        PX_delete(px);
        return values;
    }
    pxfield_t* fields = PX_get_fields(px);
    int offset = 0;
    for (int i = 0; i < field; ++i)
        offset += fields[i].px_flen;
    QByteArray record(PX_get_recordsize(px), '\0');
    for (int r = 0; r < PX_get_num_records(px); ++r) {
        if (!PX_get_record(px, r, record.data())) {
            ADD_FAILURE() << "pxlib cannot read record " << r;
            break;
        }
        char* value = nullptr;
        if (PX_get_data_alpha(px, record.data() + offset, fields[field].px_flen, &value) > 0 && value) {
            values << QString::fromLatin1(value);
            px->free(px, value);
        } else {
            values << QString();
        }
    }
    PX_close(px);
    PX_delete(px);
    return values;
}

} // namespace

TEST_F(ParadoxFiles, WritesEveryTypeAndReadsItBack)
{
    const QString file = makeWritableTable();
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("w"), QStringLiteral("paradox"), file), QString());
        const auto cols = s.columns(QStringLiteral("w"));
        ASSERT_EQ(cols.size(), 12);
        EXPECT_EQ(cols[0].second, QStringLiteral("CHAR(20)"));
        EXPECT_EQ(cols[5].second, QStringLiteral("AUTOINC INTEGER READONLY"));
        EXPECT_EQ(cols[11].second, QStringLiteral("BYTES BLOB(6)"));
        EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM w")).toInt(), 0);

        s.run(QStringLiteral("INSERT INTO w (Nazwa, Liczba, Kwota, Krotka, Dluga, Tak, Dzien, Godzina, "
                             "Chwila, Bcd, Bajty) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              {QStringLiteral("Żółta łódź"), -1.5, 1234.56, -32767, 2147483647, 1,
               QStringLiteral("2024-02-29"), QStringLiteral("23:59:58"),
               QStringLiteral("1999-12-31 12:34:56"), -12.34, QByteArray("\x01\x00\x02", 3)});
        s.run(QStringLiteral("INSERT INTO w (Nazwa, Liczba, Krotka, Tak) VALUES ('zero', 0, 0, 0)"));
        s.run(QStringLiteral("INSERT INTO w (Nazwa) VALUES (NULL)"));
        EXPECT_EQ(sqlite3_last_insert_rowid(s.db()), 3);
    }
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("w"), QStringLiteral("paradox"), file), QString());
    const auto r = s.select(QStringLiteral("SELECT * FROM w"));
    ASSERT_EQ(r.size(), 3);
    const QVariant null;
    EXPECT_EQ(r[0], (QVector<QVariant>{QStringLiteral("Żółta łódź"), -1.5, 1234.56, qint64(-32767),
                                       qint64(2147483647), qint64(1), qint64(1), QStringLiteral("2024-02-29"),
                                       QStringLiteral("23:59:58"), QStringLiteral("1999-12-31 12:34:56"),
                                       -12.34, QVariant(QByteArray("\x01\x00\x02\x00\x00\x00", 6))}));
    // Zero is a value, not an empty field; the counter goes on.
    EXPECT_EQ(r[1], (QVector<QVariant>{QStringLiteral("zero"), 0.0, null, qint64(0), null, qint64(2),
                                       qint64(0), null, null, null, null, null}));
    EXPECT_EQ(r[2], (QVector<QVariant>{null, null, null, null, null, qint64(3), null, null, null, null, null,
                                       null}));

    // pxlib, reading the file on its own, sees the same records.
    pxdoc_t* px = PX_new();
    ASSERT_GE(PX_open_file(px, QFile::encodeName(file).constData()), 0);
    EXPECT_EQ(PX_get_num_records(px), 3);
    EXPECT_EQ(px->px_head->px_autoinc, 3);
    QByteArray record(PX_get_recordsize(px), '\0');
    ASSERT_TRUE(PX_get_record(px, 0, record.data()));
    double number = 0;
    EXPECT_GT(PX_get_data_double(px, record.data() + 20, 8, &number), 0);
    EXPECT_EQ(number, -1.5);
    long date = 0;
    EXPECT_GT(PX_get_data_long(px, record.data() + 20 + 8 + 8 + 2 + 4 + 4 + 1, 4, &date), 0);
    char* text = PX_date2string(px, date, "Y-m-d");
    EXPECT_STREQ(text, "2024-02-29");
    px->free(px, text);
    char* bcd = nullptr;
    EXPECT_GT(PX_get_data_bcd(px, reinterpret_cast<unsigned char*>(record.data()) + 63, 2, &bcd), 0);
    EXPECT_EQ(QByteArray(bcd).toDouble(), -12.34) << bcd;
    px->free(px, bcd);
    PX_close(px);
    PX_delete(px);
}

TEST_F(ParadoxFiles, InsertsFillBlocksAndDeletesKeepRowNumbers)
{
    const QString file = unkeyedCountry(copy(QStringLiteral("country.db")));
    QStringList expected = pxlibAlphaColumn(file, 0);
    ASSERT_EQ(expected.size(), 18);
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
        EXPECT_EQ(s.columns(QStringLiteral("c"))[0].second, QStringLiteral("CHAR(24)"));
        s.run(QStringLiteral("UPDATE c SET Capital = 'Brasília' WHERE Name = 'Brazil'"));
        // 23 records fit a 2 KB block: these spill into two new blocks.
        for (int i = 1; i <= 30; ++i) {
            const QString name = QStringLiteral("Kraj %1").arg(i);
            s.run(QStringLiteral("INSERT INTO c (Name, Area) VALUES (?, ?)"), {name, i * 1000.0});
            expected << name;
        }
        EXPECT_EQ(s.value(QStringLiteral("SELECT rowid FROM c WHERE Name = 'Kraj 30'")).toLongLong(), 48);
        // Delete from the middle of a block, then a whole block (records 24..46 live in the second one).
        s.run(QStringLiteral("DELETE FROM c WHERE rowid IN (2, 5)"));
        s.run(QStringLiteral("DELETE FROM c WHERE rowid BETWEEN 24 AND 46"));
        EXPECT_EQ(s.value(QStringLiteral("SELECT Name FROM c WHERE rowid = 3")).toString(), expected[2]);
        EXPECT_EQ(s.value(QStringLiteral("SELECT Name FROM c WHERE rowid = 47")).toString(),
                  QStringLiteral("Kraj 29"));
        EXPECT_TRUE(s.select(QStringLiteral("SELECT * FROM c WHERE rowid = 5")).isEmpty());
        s.run(QStringLiteral("UPDATE c SET Population = 1 WHERE rowid = 48"));
        s.run(QStringLiteral("INSERT INTO c (Name) VALUES ('Ostatni')"));
        EXPECT_EQ(sqlite3_last_insert_rowid(s.db()), 49);
    }
    for (int i = 45; i >= 23; --i)
        expected.removeAt(i);
    expected.removeAt(4);
    expected.removeAt(1);
    expected << QStringLiteral("Ostatni");
    EXPECT_EQ(pxlibAlphaColumn(file, 0), expected);

    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
    QStringList names;
    for (const auto& r : s.select(QStringLiteral("SELECT Name FROM c")))
        names << r[0].toString();
    EXPECT_EQ(names, expected);
    EXPECT_EQ(s.value(QStringLiteral("SELECT Capital FROM c WHERE Name = 'Brazil'")).toString(),
              QStringLiteral("Brasília"));
    EXPECT_EQ(s.value(QStringLiteral("SELECT Population FROM c WHERE Name = 'Kraj 30'")).toDouble(), 1.0);
    // The emptied block went to the free list; the file did not grow for the last record.
    const QByteArray bytes = testsupport::readFile(file);
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 0x4D), 2);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 0x06), quint32(expected.size()));
}

TEST_F(ParadoxFiles, RefusedValuesLeaveTheFileAsItWas)
{
    const QString file = makeWritableTable();
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("w"), QStringLiteral("paradox"), file), QString());
    s.run(QStringLiteral("INSERT INTO w (Nazwa) VALUES ('pierwszy')"));
    const QByteArray before = testsupport::readFile(file);
    const struct {
        const char* sql;
        const char* expected;
    } cases[] = {
        {"UPDATE w SET Nazwa = 'Жук' WHERE rowid = 1",
         "field Nazwa: the character \"Ж\" cannot be stored in the code page CP1250"},
        {"INSERT INTO w (Nazwa) VALUES ('twenty-one characters')",
         "field Nazwa: the text is 21 bytes long, the field holds 20"},
        {"UPDATE w SET Krotka = 40000 WHERE rowid = 1", "field Krotka: 40000 is out of the range"},
        {"UPDATE w SET Licznik = 7 WHERE rowid = 1", "field Licznik: an auto-increment field"},
        {"UPDATE w SET Dzien = '31.12.2024' WHERE rowid = 1", "field Dzien: \"31.12.2024\" is not a date"},
        {"UPDATE w SET Godzina = '25:00' WHERE rowid = 1", "field Godzina"},
        {"UPDATE w SET Tak = 'maybe' WHERE rowid = 1", "field Tak: \"maybe\" is not a logical value"},
        {"UPDATE w SET Bajty = X'00112233445566' WHERE rowid = 1", "field Bajty: 7 bytes do not fit"},
        {"DELETE FROM w WHERE rowid = 2", ""},
    };
    for (const auto& c : cases) {
        const QString error = s.tryRun(QString::fromUtf8(c.sql));
        if (*c.expected) {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected)))
                << c.sql << " -> " << error.toStdString();
            EXPECT_TRUE(error.contains(QStringLiteral("wszystko.db"))) << error.toStdString();
        }
    }
    EXPECT_EQ(testsupport::readFile(file), before);
}

TEST_F(ParadoxFiles, TablesThatCannotBeChangedSafelyOpenReadOnly)
{
    SqlSession s;
    // A secondary index beside the table.
    const QString file = unkeyedCountry(copy(QStringLiteral("country.db")));
    testsupport::writeFile(path(QStringLiteral("country.X02")), QByteArray(2048, '\0'));
    ASSERT_EQ(s.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
    const QString error = s.tryRun(QStringLiteral("UPDATE c SET Name = 'x' WHERE rowid = 1"));
    EXPECT_TRUE(error.contains(QStringLiteral("secondary indexes (country.X02)"))) << error.toStdString();
    EXPECT_EQ(s.value(QStringLiteral("SELECT Name FROM c WHERE rowid = 1")).toString(),
              QStringLiteral("Argentina"));

    // The user may allow the change; the index is then named as out of date.
    s.run(QStringLiteral("CREATE VIRTUAL TABLE temp.d USING paradox(%1, '', 'allow-stale-indexes')")
              .arg(tables::quoteLiteral(file)));
    s.run(QStringLiteral("UPDATE d SET Capital = 'Sucre' WHERE Name = 'Bolivia'"));
    const tables::TableFile* opened =
        tables::tableFileOf(s.db(), QStringLiteral("temp"), QStringLiteral("d"));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->staleIndexes(), QStringList{QStringLiteral("country.X02")});
}

TEST_F(ParadoxFiles, DamagedFilesGiveClearErrors)
{
    const QByteArray good = testsupport::readFile(copy(QStringLiteral("ORDERS.DB")));
    const auto patched = [&](int at, QByteArray with) {
        QByteArray b = good;
        b.replace(at, with.size(), with);
        return b;
    };
    const struct {
        const char* name;
        QByteArray bytes;
        const char* expected;
    } cases[] = {
        {"empty", QByteArray(), "too short"},
        {"header cut", good.left(1000), "truncated"},
        {"last block cut", good.left(good.size() - 100), "truncated"},
        {"index file", patched(0x04, QByteArray(1, '\1')), "not a Paradox table"},
        {"record size", patched(0x00, QByteArray("\x48\x00", 2)), "damaged"},
        {"field type", patched(0x78, QByteArray(1, '\x33')), "damaged"},
        {"field count", patched(0x21, QByteArray("\xF0\x00", 2)), "damaged"},
        {"block loop", patched(2048 + 4096, QByteArray("\x02\x00", 2)), "chain of data blocks is damaged"},
        {"block beyond file", patched(0x0E, QByteArray("\x40\x00", 2)), "chain of data blocks is damaged"},
        {"block fill", patched(2048 + 4, QByteArray("\xF0\x0F", 2)), "block 1 is damaged"},
    };
    for (const auto& c : cases) {
        const QString file = path(QStringLiteral("bad.db"));
        testsupport::writeFile(file, c.bytes);
        SqlSession s;
        const QString error = s.attach(QStringLiteral("t"), QStringLiteral("paradox"), file);
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.expected))) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("bad.db"))) << c.name << ": " << error.toStdString();
    }

    // Blob file missing, or cut short: a clear word about the .MB file.
    const QString file = copy(QStringLiteral("biolife.db"));
    const QByteArray blobs = testsupport::readFile(path(QStringLiteral("biolife.mb")));
    QFile::remove(path(QStringLiteral("biolife.mb")));
    {
        SqlSession s;
        EXPECT_TRUE(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), file)
                        .contains(QStringLiteral("blob file (biolife.MB)")));
    }
    testsupport::writeFile(path(QStringLiteral("biolife.mb")), blobs.left(300000));
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), file), QString());
    EXPECT_EQ(s.value(QStringLiteral("SELECT length(Notes) FROM b WHERE rowid = 1")).toInt(), 701);
    const QString error = s.tryRun(QStringLiteral("SELECT Graphic FROM b"));
    EXPECT_TRUE(error.contains(QStringLiteral("biolife.mb"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("field Graphic"))) << error.toStdString();
}

TEST_F(ParadoxFiles, ChangesByAnotherOpenTableAreNotOverwritten)
{
    const QString file = unkeyedCountry(copy(QStringLiteral("country.db")));
    SqlSession first, second;
    ASSERT_EQ(first.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
    ASSERT_EQ(second.attach(QStringLiteral("c"), QStringLiteral("paradox"), file), QString());
    second.run(QStringLiteral("DELETE FROM c WHERE rowid = 1"));
    // The first one's record positions are out of date now: it must not write by them.
    const QString error = first.tryRun(QStringLiteral("UPDATE c SET Capital = 'x' WHERE rowid = 2"));
    EXPECT_TRUE(error.contains(QStringLiteral("changed by another program"))) << error.toStdString();
    EXPECT_EQ(pxlibAlphaColumn(file, 1).value(0), QStringLiteral("La Paz")); // Bolivia's capital, unharmed
}

TEST_F(ParadoxFiles, TablesWithoutCodePageUseTheFallbackTheUserSets)
{
    const QString file = copy(QStringLiteral("AREACODES.DB"));
    QByteArray bytes = testsupport::readFile(file);
    qToLittleEndian<quint16>(0, bytes.data() + 0x6A); // as a table that does not say
    testsupport::writeFile(file, bytes);
    const QString query = QStringLiteral("SELECT Cities FROM a WHERE rowid = 98");
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("a"), QStringLiteral("paradox"), file), QString());
        EXPECT_EQ(s.value(query).toString(), QStringLiteral("San JosÚ")); // 0xE9 in code page 850
    }
    EXPECT_THROW(tables::setParadoxFallbackCodePage("klingon"), shell::AppError);
    tables::setParadoxFallbackCodePage("1252");
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("a"), QStringLiteral("paradox"), file), QString());
        EXPECT_EQ(s.value(query).toString(), QStringLiteral("San José"));
        // A code page named by the caller wins over both.
        ASSERT_EQ(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), file, QStringLiteral("852")),
                  QString());
        EXPECT_EQ(s.value(QStringLiteral("SELECT Cities FROM b WHERE rowid = 98")).toString(),
                  QStringLiteral("San JosÚ"));
    }
    tables::setParadoxFallbackCodePage("850");
}
