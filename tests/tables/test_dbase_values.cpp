// The dBASE field codecs on their own: bytes to values and back, at the edges of each format.

#include "shell/tables/dbase_values.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>

using namespace tables::dbase;

TEST(DbaseValues, NumbersFitExactlyRoundedOrNotAtAll)
{
    const struct {
        double value;
        int length;
        int decimals;
        NumberFit fit;
        const char* text;
    } cases[] = {
        {12.5, 7, 2, NumberFit::Exact, "  12.50"},
        {-0.25, 5, 2, NumberFit::Exact, "-0.25"},
        {0.1 + 0.2, 5, 2, NumberFit::Exact, " 0.30"}, // binary noise is no digit
        {999.99, 5, 2, NumberFit::Rounded, " 1000"},
        {1234.5, 4, 0, NumberFit::Rounded, "1235"},
        {1234.5, 20, 18, NumberFit::Exact, "1234.500000000000000"}, // fewer decimals, nothing lost
        {1.005, 5, 2, NumberFit::Rounded, " 1.00"},
        {123456, 5, 0, NumberFit::TooWide, ""},
        {-99999, 5, 0, NumberFit::TooWide, ""},
        {NAN, 5, 0, NumberFit::TooWide, ""},
    };
    for (const auto& c : cases) {
        QByteArray out;
        EXPECT_EQ(formatNumber(c.value, c.length, c.decimals, out), c.fit) << c.value;
        EXPECT_EQ(out, QByteArray(c.text)) << c.value;
    }
    QByteArray out;
    EXPECT_EQ(formatInteger(-1234, 5, out), NumberFit::Exact);
    EXPECT_EQ(out, QByteArray("-1234"));
    EXPECT_EQ(formatInteger(123456, 5, out), NumberFit::TooWide);

    EXPECT_EQ(parseNumber("  12,50", 7), 12.5); // written by Polish programs
    EXPECT_EQ(parseNumber("*****", 5), std::nullopt);
    EXPECT_EQ(parseNumber("     ", 5), std::nullopt);
    EXPECT_EQ(parseNumber(" 1e400", 6), std::nullopt);
    EXPECT_EQ(parseInteger("   -42", 6), -42);
    EXPECT_EQ(parseInteger("  4.2", 5), std::nullopt);
}

TEST(DbaseValues, DatesLogicalsAndMemoBlocks)
{
    EXPECT_EQ(parseDate("20240229"), QDate(2024, 2, 29));
    EXPECT_FALSE(parseDate("20230229").isValid());
    EXPECT_FALSE(parseDate("        ").isValid());
    EXPECT_FALSE(parseDate("2024-2-1").isValid());
    EXPECT_EQ(formatDate(QDate(5, 1, 9)), QByteArray("00050109"));
    EXPECT_TRUE(formatDate(QDate(10000, 1, 1)).isEmpty());
    EXPECT_TRUE(formatDate(QDate()).isEmpty());

    for (char c : {'T', 't', 'Y', 'y'})
        EXPECT_EQ(parseLogical(c), true) << c;
    for (char c : {'F', 'f', 'N', 'n'})
        EXPECT_EQ(parseLogical(c), false) << c;
    for (char c : {' ', '?', '\0'})
        EXPECT_EQ(parseLogical(c), std::nullopt) << int(c);

    EXPECT_EQ(parseMemoBlock("        12", 10), 12u);
    EXPECT_EQ(parseMemoBlock("          ", 10), 0u);
    EXPECT_EQ(parseMemoBlock("      x12 ", 10), std::nullopt);
    EXPECT_EQ(parseMemoBlock("\x07\x01\0\0", 4), 263u);
    char field[10];
    ASSERT_TRUE(formatMemoBlock(4096, 10, field));
    EXPECT_EQ(QByteArray(field, 10), QByteArray("      4096"));
    char small[4];
    ASSERT_TRUE(formatMemoBlock(0xFFFFFFFFu, 4, small));
    EXPECT_EQ(QByteArray(small, 4), QByteArray("\xFF\xFF\xFF\xFF"));
}

TEST(DbaseValues, BinaryNumbersOfFoxProAndDbase7)
{
    uchar b[8];
    // dBASE 7 longs and doubles sort as bytes: check the order and the way back.
    const qint32 longs[] = {std::numeric_limits<qint32>::min(), -5, 0, 1, std::numeric_limits<qint32>::max()};
    QByteArray previous;
    for (qint32 v : longs) {
        writeDbase7Long(v, b);
        EXPECT_EQ(readDbase7Long(b), v);
        const QByteArray bytes(reinterpret_cast<char*>(b), 4);
        EXPECT_LT(previous, bytes) << v;
        previous = bytes;
    }
    writeDbase7Long(1, b);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(b), 4), QByteArray("\x80\0\0\x01", 4));
    previous.clear();
    for (double d : {-1e300, -2.5, -0.0, 0.125, 3.0, 1e300}) {
        writeDbase7Double(d, b);
        EXPECT_EQ(readDbase7Double(b), d);
        const QByteArray bytes(reinterpret_cast<char*>(b), 8);
        EXPECT_LE(previous, bytes) << d;
        previous = bytes;
    }
    writeDbase7Double(2.5, b);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(b), 8), QByteArray("\xC0\x04\0\0\0\0\0\0", 8));

    const QDateTime stamp(QDate(2021, 12, 31), QTime(23, 59, 58, 500), Qt::UTC);
    writeDbase7Timestamp(stamp, b);
    EXPECT_EQ(readDbase7Timestamp(b), stamp);
    writeFoxDateTime(stamp, b);
    EXPECT_EQ(readFoxDateTime(b), stamp);
    EXPECT_EQ(qFromLittleEndian<qint32>(b), 2459580); // the Julian day of 2021-12-31
    std::memset(b, 0, 8);
    EXPECT_FALSE(readFoxDateTime(b).isValid());
    EXPECT_FALSE(readDbase7Timestamp(b).isValid());

    ASSERT_TRUE(writeFoxCurrency(-12.3456, b));
    EXPECT_EQ(qFromLittleEndian<qint64>(b), -123456);
    EXPECT_DOUBLE_EQ(readFoxCurrency(b), -12.3456);
    EXPECT_FALSE(writeFoxCurrency(1e15, b));
}
