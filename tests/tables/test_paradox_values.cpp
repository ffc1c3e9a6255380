// The value codecs of Paradox fields, and blobs written to the .MB file and read back.

#include "filetable_sql.h"
#include "paradox_pxlib.h"
#include "shell/tables/paradox_values.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <limits>

using namespace tables::paradox;
using filetabletest::SqlSession;

TEST(ParadoxValues, NumbersSortAsBytesAndComeBack)
{
    const qint64 shorts[] = {-32767, -40, -1, 0, 1, 40, 32767};
    QByteArray previous;
    for (qint64 v : shorts) {
        uchar raw[2];
        encodeInteger(raw, 2, v);
        EXPECT_EQ(decodeInteger(raw, 2), v);
        const QByteArray bytes(reinterpret_cast<char*>(raw), 2);
        EXPECT_LT(previous, bytes) << v;
        previous = bytes;
    }
    const double doubles[] = {-1e300, -40.5, -1e-300, 0.0, 1e-300, 1.34, 2777815.0, 1e300};
    previous.clear();
    for (double v : doubles) {
        uchar raw[8];
        encodeDouble(raw, v);
        EXPECT_EQ(decodeDouble(raw), v);
        const QByteArray bytes(reinterpret_cast<char*>(raw), 8);
        EXPECT_LT(previous, bytes) << v;
        previous = bytes;
    }
    uchar zero[8];
    encodeDouble(zero, -0.0);
    EXPECT_FALSE(allZero(reinterpret_cast<char*>(zero), 8)); // a stored zero is not an empty field
}

TEST(ParadoxValues, BcdDatesAndTimes)
{
    const struct {
        double value;
        int decimals;
        bool fits;
    } bcds[] = {{40, 6, true},
                {-40, 6, true},
                {13.123457, 6, true},
                {0, 2, true},
                {1e30, 6, false},
                // No digits for infinity or NaN: refused, not stored as stray nibbles.
                {std::numeric_limits<double>::infinity(), 2, false},
                {std::nan(""), 2, false}};
    for (const auto& c : bcds) {
        uchar raw[bcdSize];
        ASSERT_EQ(encodeBcd(raw, c.decimals, c.value), c.fits) << c.value;
        if (c.fits) {
            EXPECT_DOUBLE_EQ(decodeBcd(raw).value_or(-999), c.value);
        }
    }
    const uchar empty[bcdSize] = {};
    EXPECT_FALSE(decodeBcd(empty).has_value());

    EXPECT_EQ(dateOfDay(1), QDate(1, 1, 1));
    EXPECT_EQ(dayOfDate(QDate(1970, 1, 1)), 719163);
    EXPECT_FALSE(dateOfDay(0).isValid());
    EXPECT_FALSE(dateOfDay(-366).isValid());
    EXPECT_FALSE(dateOfDay(3652060).isValid());
    EXPECT_EQ(timeOfMilliseconds(4212000), QTime(1, 10, 12));
    EXPECT_FALSE(timeOfMilliseconds(86400000).isValid());
    const QDateTime stamp(QDate(2003, 6, 10), QTime(11, 11, 11), Qt::UTC);
    EXPECT_EQ(timestampOfValue(valueOfTimestamp(stamp)), stamp);
    EXPECT_FALSE(timestampOfValue(-1).isValid());
}

TEST(ParadoxBlobs, MemosGraphicsAndBinariesRoundTripThroughTheBlobFile)
{
    QTemporaryDir dir;
    const QString file = testsupport::copySharedTable(QStringLiteral("biolife.db"), dir.path());
    const QString blobs = dir.filePath(QStringLiteral("biolife.mb"));
    const qint64 sizeBefore = QFileInfo(blobs).size();
    const QByteArray picture = QByteArray("BM") + QByteArray(50000, '\x7f');
    const QString longNotes = QStringLiteral("Ryba ").repeated(900); // 4,500 bytes: blocks of its own
    const QString shortNotes =
        QStringLiteral("Short note on the fish, longer than the fifty bytes of its leader");
    // Where the first fish's picture lives: a run of blocks of its own, freed once nothing points to it.
    const QByteArray firstRecord = testsupport::readFile(file).mid(0x800 + 6, 179);
    const quint32 pictureAt = qFromLittleEndian<quint32>(firstRecord.constData() + 169) & ~0xFFu;
    ASSERT_EQ(testsupport::readFile(blobs).at(pictureAt), 2);
    {
        SqlSession s;
        ASSERT_EQ(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), file), QString());
        s.run(QStringLiteral("INSERT INTO b (\"Species No\", Notes, Graphic) VALUES (1, ?, ?)"),
              {shortNotes, picture});
        s.run(QStringLiteral("INSERT INTO b (\"Species No\", Notes) VALUES (2, ?)"), {longNotes});
        s.run(QStringLiteral("INSERT INTO b (\"Species No\", Notes) VALUES (3, 'x')"));
        s.run(QStringLiteral("UPDATE b SET Notes = NULL, Graphic = NULL WHERE \"Species No\" = 90020"));
    }
    SqlSession s;
    ASSERT_EQ(s.attach(QStringLiteral("b"), QStringLiteral("paradox"), file), QString());
    const auto r =
        s.select(QStringLiteral("SELECT Notes, Graphic FROM b WHERE \"Species No\" IN (1, 2, 3, 90020) "
                                "ORDER BY \"Species No\""));
    ASSERT_EQ(r.size(), 4);
    EXPECT_EQ(r[0][0].toString(), shortNotes);
    EXPECT_EQ(r[0][1].toByteArray(), picture);
    EXPECT_EQ(r[1][0].toString(), longNotes);
    EXPECT_TRUE(r[1][1].isNull());
    EXPECT_EQ(r[2][0].toString(), QStringLiteral("x"));
    EXPECT_TRUE(r[3][0].isNull());
    EXPECT_TRUE(r[3][1].isNull());
    // The other records' memos and pictures are where they were.
    EXPECT_EQ(s.value(QStringLiteral("SELECT count(*) FROM b WHERE length(Graphic) = 38878")).toInt(), 27);
    EXPECT_GT(QFileInfo(blobs).size(), sizeBefore);
    EXPECT_EQ(testsupport::readFile(blobs).at(pictureAt), 4); // free

    // The record holds the leader and a pointer pxlib reads: "x" lives in the record, the rest outside.
    pxcheck::PxTable px(file, dir.filePath(QStringLiteral("biolife.PX")));
    ASSERT_TRUE(px.ok());
    const auto records = px.rawRecords();
    ASSERT_EQ(records.size(), 31);
    const int notesAt = 8 + 15 + 30 + 40 + 8 + 8;
    const QByteArray first = records[0].mid(notesAt, 60); // species 1 comes first in key order
    EXPECT_EQ(first.left(50), shortNotes.toLatin1().left(50));
    EXPECT_EQ(qFromLittleEndian<quint32>(first.constData() + 54), quint32(shortNotes.size()));
    const QByteArray third = records[2].mid(notesAt, 60);
    EXPECT_EQ(third.at(0), 'x');
    EXPECT_EQ(qFromLittleEndian<quint32>(third.constData() + 50), 0u);
    EXPECT_EQ(qFromLittleEndian<quint32>(third.constData() + 54), 1u);
    // The modification counter of the blob file went up once per blob stored outside a record.
    const QByteArray header = testsupport::readFile(blobs).left(5);
    EXPECT_EQ(qFromLittleEndian<quint16>(header.constData() + 3), 1 + 3);
}
