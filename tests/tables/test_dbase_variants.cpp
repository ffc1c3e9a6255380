// Every dBASE and FoxPro header layout, built byte by byte: read as written, changed, and read again.
// Damaged companions and headers that disagree with the file open with a warning instead of a refusal.

#include "dbase_builder.h"
#include "filetable_sql.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>

using namespace dbasebuilder;
using filetabletest::SqlSession;

namespace {

class DbaseVariants : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        testsupport::writeFile(m_dir.filePath(name), bytes);
        return m_dir.filePath(name);
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Every record of the table, every field, as the engine gives them.
    static QVector<QVector<QVariant>> rows(tables::Table& t)
    {
        QVector<QVector<QVariant>> out;
        for (t.first(); !t.eof(); t.next()) {
            QVector<QVariant> r;
            for (int i = 0; i < t.fields().size(); ++i)
                r << t.value(i);
            out << r;
        }
        return out;
    }

    QTemporaryDir m_dir;
};

QByteArray sortableDouble(double d)
{
    quint64 bits;
    std::memcpy(&bits, &d, 8);
    bits = d < 0 ? ~bits : bits | 0x8000000000000000ULL;
    QByteArray b(8, '\0');
    qToBigEndian<quint64>(bits, b.data());
    return b;
}

} // namespace

TEST_F(DbaseVariants, Dbase2ReadsAndCountsInSixteenBits)
{
    const QString file =
        write(QStringLiteral("old.dbf"),
              build(0x02, {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"PRICE", 'N', 7, 2}},
                    {" Anna         42  12.50", "*Gone         1   1.00", " Ewa          7   0.99"}));
    {
        tables::Table t;
        t.open(file);
        EXPECT_TRUE(t.openWarnings().isEmpty()) << t.openWarnings().join('\n').toStdString();
        const auto r = rows(t);
        ASSERT_EQ(r.size(), 2);
        EXPECT_EQ(r[0], (QVector<QVariant>{QStringLiteral("Anna"), 42, 12.5}));
        EXPECT_EQ(r[1][0].toString(), QStringLiteral("Ewa"));
        t.append();
        t.setValue(QStringLiteral("NAME"), QStringLiteral("Ola"));
        t.setValue(QStringLiteral("QTY"), 3);
        t.post();
    }
    const QByteArray after = testsupport::readFile(file);
    EXPECT_EQ(qFromLittleEndian<quint16>(after.constData() + 1), 4);
    EXPECT_EQ(after.mid(521 + 3 * 23, 16), QByteArray(" Ola           3"));
    EXPECT_EQ(after.back(), '\x1A');
}

TEST_F(DbaseVariants, Dbase7LongNamesAndBinaryNumbers)
{
    const QDateTime stamp(QDate(2024, 2, 29), QTime(12, 30, 5), Qt::UTC);
    const double stampMs = double(stamp.date().toJulianDay()) * 86400000.0 + 45005000.0;
    const QVector<Field> fields = {{"CUSTOMER_NAME_LONGER_THAN_TEN", 'C', 8},
                                   {"ID", '+', 4, 0, 0, 3},
                                   {"BALANCE", 'I', 4},
                                   {"RATIO", 'O', 8},
                                   {"SEEN", '@', 8},
                                   {"NOTE", 'M', 10}};
    QByteArray memo(512, '\0');
    qToLittleEndian<quint32>(2, memo.data());
    qToLittleEndian<quint16>(512, memo.data() + 20);
    memo += QByteArray("\xFF\xFF\x08\x00", 4) + le32(8 + 5) + "Notka";
    memo = memo.leftJustified(1024, '\0');
    write(QStringLiteral("seven.dbt"), memo);
    const QString file =
        write(QStringLiteral("seven.dbf"),
              build(0x8C, fields,
                    {" Zebra   " + be32(1 ^ 0x80000000U) + be32(quint32(-7) ^ 0x80000000U)
                         + sortableDouble(-2.5) + sortableDouble(stampMs) + "         1",
                     " Yak     " + be32(2 ^ 0x80000000U) + be32(0x80000000U) + sortableDouble(0.125)
                         + QByteArray(8, '\0') + QByteArray(10, ' ')},
                    {0xC8, true}));
    {
        tables::Table t;
        t.open(file);
        ASSERT_EQ(t.fields().size(), 6);
        EXPECT_EQ(t.fields()[0].name, QStringLiteral("CUSTOMER_NAME_LONGER_THAN_TEN"));
        EXPECT_EQ(t.fields()[1].type, tables::FieldType::AutoInc);
        const auto r = rows(t);
        ASSERT_EQ(r.size(), 2);
        EXPECT_EQ(r[0], (QVector<QVariant>{QStringLiteral("Zebra"), 1, -7, -2.5,
                                           QStringLiteral("2024-02-29 12:30:05"), QStringLiteral("Notka")}));
        EXPECT_EQ(r[1][2].toLongLong(), 0);
        EXPECT_DOUBLE_EQ(r[1][3].toDouble(), 0.125);
        EXPECT_TRUE(r[1][4].isNull());
        EXPECT_TRUE(r[1][5].isNull());

        t.append();
        t.setValue(QStringLiteral("CUSTOMER_NAME_LONGER_THAN_TEN"), QStringLiteral("Żubr"));
        t.setValue(QStringLiteral("BALANCE"), -123456);
        t.setValue(QStringLiteral("RATIO"), 1e-3);
        t.setValue(QStringLiteral("SEEN"), QStringLiteral("1999-12-31 23:59:59"));
        t.setValue(QStringLiteral("NOTE"), QStringLiteral("Nowa"));
        t.post();
    }
    tables::Table t;
    t.open(file);
    const auto r = rows(t);
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r[2], (QVector<QVariant>{QStringLiteral("Żubr"), 3, -123456, 1e-3,
                                       QStringLiteral("1999-12-31 23:59:59"), QStringLiteral("Nowa")}));
    // The header hands out the next number.
    const QByteArray after = testsupport::readFile(file);
    EXPECT_EQ(qFromLittleEndian<quint32>(after.constData() + 68 + 48 + 40), 4u);
}

TEST_F(DbaseVariants, VisualFoxProTypesBacklinkAndAutoIncrement)
{
    const QVector<Field> fields = {{"ID", 'I', 4, 0, 0x0C, 10, 1},
                                   {"NAME", 'C', 8},
                                   {"PRICE", 'Y', 8},
                                   {"WHEN", 'T', 8},
                                   {"SIZE", 'B', 8, 4}};
    QByteArray price(8, '\0');
    qToLittleEndian<qint64>(123456, price.data()); // 12.3456
    QByteArray when = le32(int(QDate(2020, 5, 17).toJulianDay())) + le32(3600 * 1000 * 7);
    QByteArray size(8, '\0');
    qToLittleEndian<double>(-0.75, size.data());
    const QString file =
        write(QStringLiteral("fox.dbf"),
              build(0x31, fields, {" " + le32(9) + "Pies    " + price + when + size}, {0x03, true}));
    {
        tables::Table t;
        t.open(file);
        const auto r = rows(t);
        ASSERT_EQ(r.size(), 1);
        EXPECT_EQ(r[0], (QVector<QVariant>{9, QStringLiteral("Pies"), 12.3456,
                                           QStringLiteral("2020-05-17 07:00:00"), -0.75}));
        EXPECT_FALSE(t.fields()[0].modifiable);
        for (const char* name : {"Kot", "Mysz"}) {
            t.append();
            t.setValue(QStringLiteral("NAME"), QString::fromLatin1(name));
            t.setValue(QStringLiteral("PRICE"), 0.5);
            t.post();
        }
    }
    tables::Table t;
    t.open(file);
    const auto r = rows(t);
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r[1][0].toInt(), 10);
    EXPECT_EQ(r[2][0].toInt(), 11);
    EXPECT_EQ(r[2][1].toString(), QStringLiteral("Mysz"));
    const QByteArray after = testsupport::readFile(file);
    EXPECT_EQ(qFromLittleEndian<quint32>(after.constData() + 32 + 19), 12u);
    EXPECT_EQ(qFromLittleEndian<quint16>(after.constData() + 8), 32 + 5 * 32 + 1 + 263);
}

TEST_F(DbaseVariants, VisualFoxProVarcharVarbinaryAndNullFlags)
{
    // Bits of _NullFlags: NAME short 0, NAME null 1, DATA short 2, NOTE null 3.
    const QVector<Field> fields = {{"NAME", 'V', 10, 0, 0x02},
                                   {"DATA", 'Q', 6},
                                   {"NOTE", 'C', 5, 0, 0x02},
                                   {"_NullFlags", '0', 1, 0, 0x05}};
    const QByteArray rec1 = " " + QByteArray("Ala\0\0\0\0\0\0\x03", 10) + "ABCDEF" + "     " + "\x09";
    const QByteArray rec2 =
        " " + QByteArray(10, '\0') + QByteArray("\x01\x02\0\0\0\x02", 6) + "abc  " + "\x06";
    const QString file = write(QStringLiteral("var.dbf"), build(0x32, fields, {rec1, rec2}, {0xC8, true}));
    {
        tables::Table t;
        t.open(file);
        ASSERT_EQ(t.fields().size(), 3); // _NullFlags is no data
        const auto r = rows(t);
        ASSERT_EQ(r.size(), 2);
        EXPECT_EQ(r[0][0].toString(), QStringLiteral("Ala"));
        EXPECT_EQ(r[0][1].toByteArray(), QByteArray("ABCDEF"));
        EXPECT_TRUE(r[0][2].isNull());
        EXPECT_TRUE(r[1][0].isNull());
        EXPECT_EQ(r[1][1].toByteArray(), QByteArray("\x01\x02", 2));
        EXPECT_EQ(r[1][2].toString(), QStringLiteral("abc"));

        t.first();
        t.edit();
        t.setValue(QStringLiteral("NAME"), QStringLiteral("Łucja Nowa")); // exactly ten bytes
        t.setValue(QStringLiteral("NOTE"), QStringLiteral("x"));
        t.post();
        t.next();
        t.edit();
        t.setValue(QStringLiteral("NAME"), QStringLiteral("Jo"));
        t.setValue(QStringLiteral("NOTE"), QVariant());
        t.setValue(QStringLiteral("DATA"), QByteArray("\0\xFF", 2));
        t.post();
    }
    tables::Table t;
    t.open(file);
    const auto r = rows(t);
    EXPECT_EQ(r[0],
              (QVector<QVariant>{QStringLiteral("Łucja Nowa"), QByteArray("ABCDEF"), QStringLiteral("x")}));
    EXPECT_EQ(r[1][0].toString(), QStringLiteral("Jo"));
    EXPECT_EQ(r[1][1].toByteArray(), QByteArray("\0\xFF", 2));
    EXPECT_TRUE(r[1][2].isNull());
    const QByteArray after = testsupport::readFile(file);
    const int header = 32 + 4 * 32 + 1 + 263;
    EXPECT_EQ(after.at(header + 22), '\0');        // record 1: nothing short, nothing null
    EXPECT_EQ(after.at(header + 23 + 22), '\x0D'); // record 2: NAME short, DATA short, NOTE null
}

TEST_F(DbaseVariants, HeadersWithoutEndMarkOrFields)
{
    const QString noMark = write(QStringLiteral("nomark.dbf"), build(0x03, {{"ID", 'N', 5}, {"CITY", 'C', 6}},
                                                                     {"     7Opole "}, {0, false}));
    tables::Table t;
    t.open(noMark);
    ASSERT_EQ(t.fields().size(), 2);
    t.first();
    EXPECT_EQ(t.value(1).toString(), QStringLiteral("Opole"));
    t.close();

    // As some GIS tools write a table of no attributes: 32 bytes of header and nothing else.
    QByteArray empty = build(0x03, {}, {}, {0, false});
    empty[11] = 0; // record length 1: the deletion mark
    qToLittleEndian<quint16>(1, empty.data() + 10);
    const QString emptyFile = write(QStringLiteral("empty.dbf"), empty + QByteArray(1, '\x1A'));
    t.open(emptyFile);
    EXPECT_EQ(t.recordCount(), 0);
    t.close();

    // A file shorter than its own header is damaged, not a variant.
    QByteArray cut = build(0x03, {{"ID", 'N', 5}}, {});
    qToLittleEndian<quint16>(200, cut.data() + 8);
    const QString cutFile = write(QStringLiteral("cut.dbf"), cut);
    try {
        t.open(cutFile);
        ADD_FAILURE() << "a header longer than the file was accepted";
    } catch (const std::exception& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("damaged"))) << e.what();
    }
}

TEST_F(DbaseVariants, RecordCountThatDisagreesReadsWhatIsThere)
{
    const QByteArray good = build(0x03, {{"ID", 'N', 3}}, {"  1", "  2", "  3"});
    struct Case {
        const char* name;
        quint32 count;
        int keep; // bytes of records kept
        int rows;
    };
    const Case cases[] = {
        {"counts more", 5, 3 * 4, 3},
        {"cut inside a record", 3, 2 * 4 + 2, 2},
        {"header only", 3, 0, 0},
        {"counts fewer", 1, 3 * 4, 1},
    };
    for (const Case& c : cases) {
        QByteArray bytes = good.left(32 + 32 + 1 + c.keep);
        qToLittleEndian<quint32>(c.count, bytes.data() + 4);
        const QString file = write(QStringLiteral("count.dbf"), bytes);
        tables::Table t;
        t.open(file);
        EXPECT_EQ(t.recordCount(), c.rows) << c.name;
        ASSERT_EQ(t.openWarnings().size(), 1) << c.name;
        EXPECT_TRUE(t.openWarnings()[0].contains(QStringLiteral("the header counts %1 records").arg(c.count)))
            << t.openWarnings()[0].toStdString();
        EXPECT_TRUE(t.isReadOnly()) << c.name;
        t.close();
        EXPECT_EQ(testsupport::readFile(file), bytes) << c.name;
    }
}

TEST_F(DbaseVariants, MissingOrDamagedMemoFileOpensReadOnlyWithAWarning)
{
    QByteArray memo(512, '\0');
    qToLittleEndian<quint32>(3, memo.data());
    memo += QByteArray("First memo\x1A\x1A").leftJustified(512, '\x1A');
    memo += QByteArray("Second memo\x1A\x1A").leftJustified(512, '\x1A');
    const QByteArray table =
        build(0x83, {{"NAME", 'C', 4}, {"NOTE", 'M', 10}}, {" One          1", " Two          2"});
    const QString file = write(QStringLiteral("memo.dbf"), table);
    {
        tables::Table t;
        t.open(file);
        EXPECT_TRUE(t.isReadOnly());
        ASSERT_EQ(t.openWarnings().size(), 1);
        EXPECT_TRUE(t.openWarnings()[0].contains(QStringLiteral("memo.dbt is missing")))
            << t.openWarnings()[0].toStdString();
        const auto r = rows(t);
        ASSERT_EQ(r.size(), 2);
        EXPECT_EQ(r[1][0].toString(), QStringLiteral("Two"));
        EXPECT_TRUE(r[1][1].isNull());
    }
    // Cut after the first memo: that one reads, the other is empty, and the file is named.
    write(QStringLiteral("memo.dbt"), memo.left(1024));
    tables::Table t;
    t.open(file);
    const auto r = rows(t);
    EXPECT_EQ(r[0][1].toString(), QStringLiteral("First memo"));
    EXPECT_TRUE(r[1][1].isNull());
    ASSERT_EQ(t.openWarnings().size(), 1);
    EXPECT_TRUE(t.openWarnings()[0].contains(QStringLiteral("memo.dbt")))
        << t.openWarnings()[0].toStdString();
    EXPECT_EQ(testsupport::readFile(file), table);
}

TEST_F(DbaseVariants, IndexFilesOfAnyNameKeepTheTableReadOnlyUnlessAllowed)
{
    const QString file = write(QStringLiteral("goods.dbf"), build(0x03, {{"ID", 'N', 3}}, {"  1"}));
    write(QStringLiteral("BYNAME.NTX"), QByteArray(1024, '\0'));
    write(QStringLiteral("other.ndx"), QByteArray(512, '\0'));
    tables::Table t;
    t.open(file);
    EXPECT_TRUE(t.isReadOnly());
    EXPECT_TRUE(t.readOnlyReason().contains(QStringLiteral("BYNAME.NTX, other.ndx")))
        << t.readOnlyReason().toStdString();
    t.close();

    t.setAllowStaleIndexes(true);
    t.open(file);
    EXPECT_FALSE(t.isReadOnly());
    EXPECT_TRUE(t.staleIndexFiles().isEmpty()); // nothing changed yet
    t.first();
    t.edit();
    t.setValue(QStringLiteral("ID"), 2);
    t.post();
    EXPECT_EQ(t.staleIndexFiles(), (QStringList{QStringLiteral("BYNAME.NTX"), QStringLiteral("other.ndx")}));
}

TEST_F(DbaseVariants, NumbersThatFitOnlyRoundedAreRefusedUnlessAllowed)
{
    const QByteArray table =
        build(0x03, {{"PRICE", 'N', 5, 2}, {"QTY", 'N', 4}, {"RATE", 'F', 8, 3}}, {" 1.00    1   0.500"});
    const QString file = write(QStringLiteral("round.dbf"), table);
    struct Case {
        const char* field;
        double value;
        const char* rounded; // what the field would hold
    };
    const Case cases[] = {{"PRICE", 999.99, "1000"},
                          {"QTY", 1234.5, "1235"},
                          {"RATE", 0.0005, "0.001"},
                          {"PRICE", 1.005, "1.00"}};
    tables::Table t;
    t.open(file);
    for (const Case& c : cases) {
        t.first();
        t.edit();
        t.setValue(QString::fromLatin1(c.field), c.value);
        try {
            t.post();
            ADD_FAILURE() << c.field << " took " << c.value;
        } catch (const std::exception& e) {
            EXPECT_TRUE(
                QString::fromUtf8(e.what()).contains(QStringLiteral("only rounded to %1").arg(c.rounded)))
                << e.what();
        }
        t.cancel();
    }
    EXPECT_EQ(t.writeCounts().refusedRounding, 4);
    EXPECT_EQ(testsupport::readFile(file), table);
    t.close();

    t.setAllowRounding(true);
    t.open(file);
    t.first();
    t.edit();
    t.setValue(QStringLiteral("PRICE"), 999.99);
    t.setValue(QStringLiteral("QTY"), 12.0); // whole: no rounding
    t.setValue(QStringLiteral("RATE"), 0.25);
    t.post();
    EXPECT_EQ(t.writeCounts().rounded, 1);
    EXPECT_EQ(t.value(0).toDouble(), 1000.0);
    EXPECT_EQ(t.value(1).toInt(), 12);
}

TEST_F(DbaseVariants, OpeningAndReadingNeverChangesTheFile)
{
    QStringList files;
    for (const char* name : {"dbase_03.dbf", "dbase_8b.dbf", "encoding_1250.dbf"})
        files << testsupport::copySharedTable(QString::fromLatin1(name), m_dir.path());
    files << write(QStringLiteral("fox.dbf"), build(0x31, {{"ID", 'I', 4, 0, 0x0C, 5, 1}}, {" " + le32(4)}));
    for (const QString& file : files) {
        const QByteArray before = testsupport::readFile(file);
        const QDateTime stamp = QFileInfo(file).lastModified();
        {
            tables::Table t;
            t.open(file);
            rows(t);
        }
        EXPECT_EQ(testsupport::readFile(file), before) << file.toStdString();
        EXPECT_EQ(QFileInfo(file).lastModified(), stamp) << file.toStdString();
    }
}

TEST_F(DbaseVariants, CodePageMarksWarningsAndTheUsersChoice)
{
    const QByteArray polish("Za\xA7\xA2\x92\x8D g\x91\x9El\x86"); // "Zażółć gęślą" in Mazovia
    const QVector<Field> fields = {{"TEXT", 'C', 12}};
    struct Case {
        const char* name;
        int driver;
        QByteArray text;
        const char* choice;
        const char* expected;
        bool warning;
    };
    const Case cases[] = {
        {"Mazovia mark", 0x69, polish, "", "Zażółć gęślą", false},
        {"no mark, ASCII", 0x00, "plain", "", "plain", false},
        {"no mark, Polish", 0x00, polish, "", "ZaßóÆì gæ×lå", true},
        {"no mark, chosen", 0x00, polish, "620", "Zażółć gęślą", false},
        {"choice over mark", 0xC8, polish, "Mazovia", "Zażółć gęślą", false},
    };
    for (const Case& c : cases) {
        const QString file =
            write(QStringLiteral("cp.dbf"), build(0x03, fields, {" " + c.text}, {c.driver, true}));
        tables::Table t;
        t.setCodePage(QString::fromLatin1(c.choice));
        t.open(file);
        t.first();
        if (!c.warning) {
            EXPECT_EQ(t.value(0).toString(), QString::fromUtf8(c.expected)) << c.name;
        }
        EXPECT_EQ(t.openWarnings().size(), c.warning ? 1 : 0) << c.name;
        if (c.warning) {
            EXPECT_TRUE(t.openWarnings().value(0).endsWith(
                QStringLiteral("the file does not name its code page; it was read as Windows-1250 — choose "
                               "another code page "
                               "if the letters look wrong")))
                << t.openWarnings().value(0).toStdString();
        }
    }
}
