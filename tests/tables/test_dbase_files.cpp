// dBASE tables through the dbase virtual table module: the shared sample files, writes that go to disk,
// code pages, FoxPro binary types and damaged files.

#include "filetable_sql.h"
#include "shell/tables/tablefilesupport.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtEndian>

using filetabletest::SqlSession;

namespace {

class DbaseFiles : public ::testing::Test {
protected:
    QString copy(const QString& name) { return testsupport::copySharedTable(name, m_dir.path()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

struct DbfField {
    const char* name;
    char type;
    int length;
    int decimals;
};

// A dBASE file built byte by byte, for layouts the samples do not cover.
QByteArray makeDbf(int version, const QVector<DbfField>& fields, const QVector<QByteArray>& records)
{
    int recordLength = 1;
    for (const auto& f : fields)
        recordLength += f.length;
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    QByteArray out(headerLength, '\0');
    auto* h = reinterpret_cast<uchar*>(out.data());
    h[0] = uchar(version);
    h[1] = 124;
    h[2] = 1;
    h[3] = 1;
    qToLittleEndian<quint32>(quint32(records.size()), h + 4);
    qToLittleEndian<quint16>(quint16(headerLength), h + 8);
    qToLittleEndian<quint16>(quint16(recordLength), h + 10);
    for (int i = 0; i < fields.size(); ++i) {
        uchar* d = h + 32 + 32 * i;
        memcpy(d, fields[i].name, qstrlen(fields[i].name));
        d[11] = uchar(fields[i].type);
        d[16] = uchar(fields[i].length);
        d[17] = uchar(fields[i].decimals);
    }
    h[headerLength - 1] = 0x0D;
    for (const QByteArray& r : records) {
        EXPECT_EQ(r.size(), recordLength);
        out += r;
    }
    out += '\x1A';
    return out;
}

QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

QByteArray le64(qint64 v)
{
    QByteArray b(8, '\0');
    qToLittleEndian<qint64>(v, b.data());
    return b;
}

} // namespace

TEST_F(DbaseFiles, Dbase4SampleWithMemosReadsEveryType)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), copy(QStringLiteral("dbase_8b.dbf"))),
              QString());
    const auto cols = s.columns(QStringLiteral("t"));
    ASSERT_EQ(cols.size(), 6);
    EXPECT_EQ(cols[0], qMakePair(QStringLiteral("CHARACTER"), QStringLiteral("CHAR(100)")));
    EXPECT_EQ(cols[1].second, QStringLiteral("DOUBLE"));
    EXPECT_EQ(cols[2].second, QStringLiteral("DATE"));
    EXPECT_EQ(cols[3].second, QStringLiteral("BOOLEAN"));
    EXPECT_EQ(cols[4].second, QStringLiteral("DOUBLE"));
    EXPECT_EQ(cols[5].second, QStringLiteral("MEMO TEXT"));

    const auto rows = s.select(QStringLiteral("SELECT rowid, * FROM t ORDER BY rowid"));
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[0][0].toLongLong(), 1);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("One"));
    EXPECT_DOUBLE_EQ(rows[0][2].toDouble(), 1.0);
    EXPECT_EQ(rows[0][3].toString(), QStringLiteral("1970-01-01"));
    EXPECT_EQ(rows[0][4].toLongLong(), 1);
    EXPECT_NEAR(rows[0][5].toDouble(), 1.23456789012346, 1e-12);
    EXPECT_EQ(rows[0][6].toString(), QStringLiteral("First memo\r\n"));
    EXPECT_EQ(rows[1][3].toString(), QStringLiteral("1970-12-31"));
    EXPECT_EQ(rows[1][4].toLongLong(), 1); // 'T'
    EXPECT_TRUE(rows[1][6].toString().startsWith(QStringLiteral("Second memo")));
    EXPECT_TRUE(rows[2][4].isNull()); // blank logical is unknown
    EXPECT_TRUE(rows[2][6].toString().startsWith(QStringLiteral("Thierd memo")));
    EXPECT_EQ(rows[3][3].toString(), QStringLiteral("1900-01-01"));
    EXPECT_EQ(rows[7][3].toString(), QStringLiteral("1919-12-31"));
    EXPECT_TRUE(rows[8][3].isNull());
    EXPECT_TRUE(rows[8][5].isNull());
    EXPECT_EQ(rows[9][1].toString(), QStringLiteral("Ten records stored in this database"));
    EXPECT_DOUBLE_EQ(rows[9][5].toDouble(), 0.1);
    EXPECT_TRUE(rows[9][6].isNull());

    // Look-up by record number, as the engine fetches a row.
    EXPECT_EQ(s.value(QStringLiteral("SELECT CHARACTER FROM t WHERE rowid = 2")).toString(),
              QStringLiteral("Two"));
    EXPECT_TRUE(s.select(QStringLiteral("SELECT * FROM t WHERE rowid = 11")).isEmpty());
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM t WHERE MEMO LIKE '%memo%'")).toInt(), 9);
}

TEST_F(DbaseFiles, Dbase3SampleKeepsRepeatedFieldNamesApart)
{
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), copy(QStringLiteral("dbase_03.dbf"))),
              QString());
    const auto cols = s.columns(QStringLiteral("t"));
    ASSERT_EQ(cols.size(), 31);
    EXPECT_EQ(cols[0].first, QStringLiteral("Point_ID"));
    EXPECT_EQ(cols[30].first, QStringLiteral("Point_ID_2"));
    EXPECT_EQ(cols[30].second, QStringLiteral("INTEGER")); // N9 without decimals
    EXPECT_EQ(cols[10].second, QStringLiteral("DOUBLE"));  // N5.1

    const auto r = s.select(
        QStringLiteral("SELECT Point_ID, Type, Shape, Date_Visit, Time, Max_PDOP, GPS_Week, Northing, "
                       "Easting, Point_ID_2 FROM t WHERE rowid = 1"));
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0][0].toString(), QStringLiteral("0507121")); // text stays text
    EXPECT_EQ(r[0][1].toString(), QStringLiteral("CMP"));
    EXPECT_EQ(r[0][2].toString(), QStringLiteral("circular"));
    EXPECT_EQ(r[0][3].toString(), QStringLiteral("2005-07-12"));
    EXPECT_EQ(r[0][4].toString(), QStringLiteral("10:56:30am"));
    EXPECT_DOUBLE_EQ(r[0][5].toDouble(), 5.2);
    EXPECT_EQ(r[0][6].toLongLong(), 1331);
    EXPECT_DOUBLE_EQ(r[0][7].toDouble(), 557904.898);
    EXPECT_DOUBLE_EQ(r[0][8].toDouble(), 2212577.192);
    EXPECT_EQ(r[0][9].toLongLong(), 401);
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM t")).toInt(), 14);
}

TEST_F(DbaseFiles, CodePageComesFromTheCpgFileOrTheCaller)
{
    const QString file = copy(QStringLiteral("encoding_1250.dbf"));
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    EXPECT_TRUE(s.value(QStringLiteral("SELECT data FROM t WHERE encoding = 'ISO-8859-2'"))
                    .toString()
                    .startsWith(QStringLiteral("Ą˘Ł¤ĽŚ§¨ŠŞŤŹŽŻ°ą˛ł´ľśˇ¸šşťź˝žż")));
    EXPECT_TRUE(
        s.value(QStringLiteral("SELECT data FROM t WHERE id = 14"))
            .toString()
            .startsWith(QStringLiteral("ŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢßŕáâăäĺćçčéęëěíîďđńňóôőö÷řůúűüý")));
    EXPECT_EQ(s.value(QStringLiteral("SELECT data FROM t WHERE encoding = '437'")).toString(),
              QStringLiteral("ÉôöÖÜ"));
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM t WHERE data IS NULL")).toInt() > 0, true);
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM t WHERE id = 15")).toInt(), 2);

    // A caller who knows better names the code page; read as 1252 the Polish letters come out wrong.
    ASSERT_EQ(s.attach(QStringLiteral("w"), QStringLiteral("dbase"), file, QStringLiteral("1252")),
              QString());
    EXPECT_TRUE(
        s.value(QStringLiteral("SELECT data FROM w WHERE id = 2")).toString().contains(QStringLiteral("³")));
}

TEST_F(DbaseFiles, WritesGoToDiskAndSurviveReopening)
{
    const QString file = copy(QStringLiteral("dbase_8b.dbf"));
    const QByteArray memoBefore = testsupport::readFile(path(QStringLiteral("dbase_8b.dbt")));
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
        s.run(QStringLiteral(
            "UPDATE t SET CHARACTER = 'Jeden', NUMERICAL = 12.35, DATE = '2024-02-29', LOGICAL = 0, "
            "MEMO = 'Nowa notatka' WHERE rowid = 1"));
        s.run(QStringLiteral("UPDATE t SET FLOAT = NULL WHERE rowid = 2"));
        s.run(QStringLiteral("UPDATE t SET FLOAT = 1234.5 WHERE rowid = 4")); // F20.18: fewer decimals fit
        s.run(
            QStringLiteral(
                "INSERT INTO t (CHARACTER, NUMERICAL, DATE, LOGICAL, FLOAT, MEMO) VALUES (?, ?, ?, ?, ?, ?)"),
            {QStringLiteral("Eleven"), 11, QStringLiteral("2001-09-11"), 1, 0.5,
             QStringLiteral("Line 1\r\nLine 2")});
        EXPECT_EQ(sqlite3_last_insert_rowid(s.db()), 11);
        s.run(QStringLiteral("DELETE FROM t WHERE rowid = 3"));
        EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM t")).toInt(), 10);
        EXPECT_EQ(s.value(QStringLiteral("SELECT rowid FROM t WHERE CHARACTER = 'Eleven'")).toLongLong(), 11);
    }
    // The old memo blocks stay where they were; new ones go to the end.
    const QByteArray memoAfter = testsupport::readFile(path(QStringLiteral("dbase_8b.dbt")));
    EXPECT_GT(memoAfter.size(), memoBefore.size());
    EXPECT_EQ(memoAfter.mid(512, memoBefore.size() - 512), memoBefore.mid(512));

    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    const auto rows =
        s.select(QStringLiteral("SELECT rowid, CHARACTER, NUMERICAL, DATE, LOGICAL, FLOAT, MEMO FROM t"));
    ASSERT_EQ(rows.size(), 10); // record 3 is hidden, the rest keep their numbers
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("Jeden"));
    EXPECT_DOUBLE_EQ(rows[0][2].toDouble(), 12.35);
    EXPECT_EQ(rows[0][3].toString(), QStringLiteral("2024-02-29"));
    EXPECT_EQ(rows[0][4].toLongLong(), 0);
    EXPECT_NEAR(rows[0][5].toDouble(), 1.23456789012346, 1e-12); // untouched field keeps its bytes
    EXPECT_EQ(rows[0][6].toString(), QStringLiteral("Nowa notatka"));
    EXPECT_TRUE(rows[1][5].isNull());
    EXPECT_TRUE(rows[1][6].toString().startsWith(QStringLiteral("Second memo")));
    EXPECT_EQ(rows[2][0].toLongLong(), 4);
    EXPECT_DOUBLE_EQ(rows[2][5].toDouble(), 1234.5);
    EXPECT_EQ(rows[9][0].toLongLong(), 11);
    EXPECT_EQ(rows[9][1].toString(), QStringLiteral("Eleven"));
    EXPECT_EQ(rows[9][2].toDouble(), 11.0);
    EXPECT_EQ(rows[9][3].toString(), QStringLiteral("2001-09-11"));
    EXPECT_EQ(rows[9][4].toLongLong(), 1);
    EXPECT_EQ(rows[9][6].toString(), QStringLiteral("Line 1\r\nLine 2"));

    // The deletion mark is in the file itself, where other programs see it.
    const QByteArray dbf = testsupport::readFile(file);
    const int headerLength = qFromLittleEndian<quint16>(dbf.constData() + 8);
    const int recordLength = qFromLittleEndian<quint16>(dbf.constData() + 10);
    EXPECT_EQ(dbf.at(headerLength + 2 * recordLength), '*');
    EXPECT_EQ(qFromLittleEndian<quint32>(dbf.constData() + 4), 11u);
}

TEST_F(DbaseFiles, RefusedValuesLeaveTheFileAsItWas)
{
    const QString file = copy(QStringLiteral("encoding_1250.dbf"));
    const QByteArray before = testsupport::readFile(file);
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());

    struct Case {
        const char* sql;
        const char* expected;
    };
    const Case cases[] = {
        {"UPDATE t SET data = 'Жук' WHERE id = 2",
         "field data, record 2: the character \"Ж\" cannot be stored in the code page CP1250"},
        {"INSERT INTO t (id, data) VALUES (1, 'smile 😀')", "\"😀\""},
        {"UPDATE t SET encoding = 'a text much longer than twenty bytes' WHERE id = 2",
         "field encoding, record 2: the text is 36 bytes long"},
        {"UPDATE t SET id = 'twelve' WHERE id = 2", "field id: \"twelve\" is not a number"},
        {"UPDATE t SET id = 2.5 WHERE id = 2",
         "field id, record 2: the number 2.5 fits the field (10 wide, 0 decimals) only rounded to 3"},
        {"UPDATE t SET id = 123456789012 WHERE id = 2", "does not fit the field's width of 10"},
        {"INSERT INTO t (rowid, id) VALUES (100, 1)", "record number"},
    };
    for (const Case& c : cases) {
        const QString error = s.tryRun(QString::fromUtf8(c.sql));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected))) << c.sql << " -> " << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("encoding_1250.dbf"))) << error.toStdString();
    }
    EXPECT_EQ(testsupport::readFile(file), before);

    // Polish letters fit Windows-1250 and come back unchanged.
    const QString polish = QStringLiteral("Zażółć gęślą jaźń ŻÓŁW");
    s.run(QStringLiteral("UPDATE t SET data = ? WHERE id = 2"), {polish});
    SqlSession again;
    ASSERT_EQ(again.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    EXPECT_EQ(again.value(QStringLiteral("SELECT data FROM t WHERE id = 2")).toString(), polish);
    EXPECT_TRUE(testsupport::readFile(file).contains(QByteArray("Za\xbf\xf3\xb3\xe6")));
}

TEST_F(DbaseFiles, FieldOfUnknownTypeMakesTheTableReadOnly)
{
    QByteArray rec = " abc  " + QByteArray("\x01\x02\x03", 3);
    testsupport::writeFile(path(QStringLiteral("odd.dbf")),
                           makeDbf(0x03, {{"NAME", 'C', 5, 0}, {"ODD", 'V', 3, 0}}, {rec}));
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), path(QStringLiteral("odd.dbf"))),
              QString());
    const auto cols = s.columns(QStringLiteral("t"));
    EXPECT_EQ(cols[0].second, QStringLiteral("CHAR READONLY(5)"));
    EXPECT_EQ(cols[1].second, QStringLiteral("BYTES BLOB READONLY(3)"));
    EXPECT_EQ(s.value(QStringLiteral("SELECT ODD FROM t")).toByteArray(), QByteArray("\x01\x02\x03", 3));
    const QString error = s.tryRun(QStringLiteral("UPDATE t SET NAME = 'x'"));
    EXPECT_TRUE(error.contains(QStringLiteral("field ODD has the type 'V'"))) << error.toStdString();
}

TEST_F(DbaseFiles, ProductionIndexMakesTheTableReadOnly)
{
    const QString file = copy(QStringLiteral("dbase_03.dbf"));
    testsupport::writeFile(path(QStringLiteral("dbase_03.MDX")), QByteArray(1024, '\0'));
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    const QString error = s.tryRun(QStringLiteral("UPDATE t SET Type = 'x' WHERE rowid = 1"));
    EXPECT_TRUE(error.contains(QStringLiteral("index files beside it (dbase_03.MDX)")))
        << error.toStdString();
}

TEST_F(DbaseFiles, ReadOnlyFileSaysSoAndStaysUnchanged)
{
    const QString file = copy(QStringLiteral("dbase_03.dbf"));
    // Permissions stop no one running as root, so the check itself is told so.
    tables::setWritableCheck([](const QString& p) { return !p.endsWith(QLatin1String("dbase_03.dbf")); });
    const auto restore = qScopeGuard([] { tables::setWritableCheck(nullptr); });
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    for (const auto& c : s.columns(QStringLiteral("t")))
        EXPECT_TRUE(c.second.contains(QStringLiteral("READONLY"))) << c.first.toStdString();
    EXPECT_EQ(s.columns(QStringLiteral("t"))[0].second, QStringLiteral("CHAR READONLY(12)"));
    const QString error = s.tryRun(QStringLiteral("DELETE FROM t WHERE rowid = 1"));
    EXPECT_TRUE(error.contains(QStringLiteral("read-only"))) << error.toStdString();
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM t")).toInt(), 14);
}

TEST_F(DbaseFiles, FoxProBinaryTypesAndMemoFile)
{
    // Visual FoxPro: Integer, Currency, DateTime, Double and a memo with a 4-byte block pointer.
    const QVector<DbfField> fields = {{"NAME", 'C', 10, 0}, {"QTY", 'I', 4, 0},   {"PRICE", 'Y', 8, 0},
                                      {"STAMP", 'T', 8, 0}, {"RATIO", 'B', 8, 2}, {"NOTE", 'M', 4, 0}};
    QByteArray rec = " Widget    ";
    rec += le32(-42) + le64(123456) /* 12.3456 */;
    rec += le32(2451545) + le32((13 * 3600 + 30 * 60 + 15) * 1000); // 2000-01-01 13:30:15
    QByteArray ratio(8, '\0');
    qToLittleEndian<double>(0.25, ratio.data());
    rec += ratio + le32(8); // memo at block 8 (64-byte blocks, header in blocks 0..7)
    QByteArray fpt(512, '\0');
    qToBigEndian<quint32>(9, fpt.data());
    qToBigEndian<quint16>(64, fpt.data() + 6);
    QByteArray memo(64, '\0');
    qToBigEndian<quint32>(1, memo.data());
    qToBigEndian<quint32>(9, memo.data() + 4);
    memo.replace(8, 9, "Zapiska \xb9"); // ą in 1250
    fpt += memo;
    testsupport::writeFile(path(QStringLiteral("fox.dbf")), makeDbf(0x30, fields, {rec}));
    testsupport::writeFile(path(QStringLiteral("fox.fpt")), fpt);
    QByteArray dbf = testsupport::readFile(path(QStringLiteral("fox.dbf")));
    dbf[29] = char(0xC8); // language driver: Windows-1250
    testsupport::writeFile(path(QStringLiteral("fox.dbf")), dbf);

    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), path(QStringLiteral("fox.dbf"))),
              QString());
    const auto cols = s.columns(QStringLiteral("t"));
    EXPECT_EQ(cols[1].second, QStringLiteral("INTEGER"));
    EXPECT_EQ(cols[2].second, QStringLiteral("MONEY REAL"));
    EXPECT_EQ(cols[3].second, QStringLiteral("TIMESTAMP"));
    const auto r = s.select(QStringLiteral("SELECT * FROM t"));
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0][0].toString(), QStringLiteral("Widget"));
    EXPECT_EQ(r[0][1].toLongLong(), -42);
    EXPECT_DOUBLE_EQ(r[0][2].toDouble(), 12.3456);
    EXPECT_EQ(r[0][3].toString(), QStringLiteral("2000-01-01 13:30:15"));
    EXPECT_DOUBLE_EQ(r[0][4].toDouble(), 0.25);
    EXPECT_EQ(r[0][5].toString(), QStringLiteral("Zapiska ą"));

    s.run(QStringLiteral(
        "INSERT INTO t VALUES ('Gadget', 7, 1.5, '1999-12-31 23:59:59', -1.5, 'Druga zapiska ęś')"));
    s.run(QStringLiteral("UPDATE t SET NOTE = 'Zmieniona' WHERE rowid = 1"));
    SqlSession again;
    ASSERT_EQ(again.attach(QStringLiteral("t"), QStringLiteral("dbase"), path(QStringLiteral("fox.dbf"))),
              QString());
    const auto r2 = again.select(QStringLiteral("SELECT * FROM t ORDER BY rowid"));
    ASSERT_EQ(r2.size(), 2);
    EXPECT_EQ(r2[0][5].toString(), QStringLiteral("Zmieniona"));
    EXPECT_EQ(r2[1], (QVector<QVariant>{QStringLiteral("Gadget"), qint64(7), 1.5,
                                        QStringLiteral("1999-12-31 23:59:59"), -1.5,
                                        QStringLiteral("Druga zapiska ęś")}));
}

TEST_F(DbaseFiles, DamagedFilesGiveClearErrors)
{
    const QByteArray good = testsupport::readFile(copy(QStringLiteral("dbase_8b.dbf")));
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* expected;
    };
    QByteArray wideFields = good;
    wideFields[32 + 16] = char(250); // first field wider than the record
    QByteArray hugeHeader = good;
    qToLittleEndian<quint16>(60000, hugeHeader.data() + 8);
    const Case cases[] = {
        {"empty", QByteArray(), "too short"},
        {"short", good.left(20), "too short"},
        {"wide fields", wideFields, "damaged"},
        {"huge header", hugeHeader, "damaged"},
        {"not dbase", QByteArray("SQLite format 3\0 and more text to fill thirty-two bytes", 56),
         "not a dBASE table"},
    };
    for (const Case& c : cases) {
        const QString file = path(QStringLiteral("bad.dbf"));
        testsupport::writeFile(file, c.bytes);
        testsupport::writeFile(path(QStringLiteral("bad.dbt")),
                               testsupport::readFile(path(QStringLiteral("dbase_8b.dbt"))));
        SqlSession s;
        const QString error = s.attach(QStringLiteral("t"), QStringLiteral("dbase"), file);
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.expected))) << c.name << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("bad.dbf"))) << c.name << ": " << error.toStdString();
    }
}

TEST_F(DbaseFiles, ChangesByAnotherOpenTableAreNotOverwritten)
{
    const QString file = copy(QStringLiteral("dbase_03.dbf"));
    SqlSession first, second;
    ASSERT_EQ(first.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    ASSERT_EQ(second.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    second.run(QStringLiteral("INSERT INTO t (Point_ID) VALUES ('second')"));
    const QString error = first.tryRun(QStringLiteral("INSERT INTO t (Point_ID) VALUES ('first')"));
    EXPECT_TRUE(error.contains(QStringLiteral("changed by another program"))) << error.toStdString();
    SqlSession again;
    ASSERT_EQ(again.attach(QStringLiteral("t"), QStringLiteral("dbase"), file), QString());
    EXPECT_EQ(again.value(QStringLiteral("SELECT Point_ID FROM t WHERE rowid = 15")).toString(),
              QStringLiteral("second"));
}

TEST_F(DbaseFiles, Dbase3MemoFileEndsMemosWithMarks)
{
    QByteArray rec = " Jeden     " + QByteArray("         1");
    testsupport::writeFile(path(QStringLiteral("d3.dbf")),
                           makeDbf(0x83, {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}}, {rec}));
    QByteArray dbt(512, '\0');
    dbt[0] = 2;
    dbt += QByteArray("Pierwsza\x1a\x1a", 10).leftJustified(512, '\x1a');
    testsupport::writeFile(path(QStringLiteral("d3.dbt")), dbt);
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("t"), QStringLiteral("dbase"), path(QStringLiteral("d3.dbf"))),
              QString());
    EXPECT_EQ(s.value(QStringLiteral("SELECT NOTE FROM t")).toString(), QStringLiteral("Pierwsza"));
    s.run(QStringLiteral("INSERT INTO t VALUES ('Dwa', ?)"), {QString(700, QLatin1Char('x'))}); // two blocks
    s.run(QStringLiteral("UPDATE t SET NOTE = 'Zmieniona łódź' WHERE rowid = 1"));
    const QString error =
        s.tryRun(QStringLiteral("UPDATE t SET NOTE = ? WHERE rowid = 1"), {QString::fromLatin1("a\x1a b")});
    EXPECT_TRUE(error.contains(QStringLiteral("field NOTE, record 1: a dBASE III memo cannot hold")))
        << error.toStdString();

    SqlSession again;
    ASSERT_EQ(again.attach(QStringLiteral("t"), QStringLiteral("dbase"), path(QStringLiteral("d3.dbf"))),
              QString());
    const auto rows = again.select(QStringLiteral("SELECT NAME, NOTE FROM t"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("Zmieniona łódź"));
    EXPECT_EQ(rows[1][1].toString(), QString(700, QLatin1Char('x')));
    // Blocks 2 and 3 hold the long memo, block 4 the changed one; the header points past them.
    const QByteArray after = testsupport::readFile(path(QStringLiteral("d3.dbt")));
    EXPECT_EQ(after.size(), 5 * 512);
    EXPECT_EQ(qFromLittleEndian<quint32>(after.constData()), 5u);
}
