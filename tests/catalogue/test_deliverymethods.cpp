#include "catalogue/deliverymethods.h"
#include "testsupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct DeliveryTest : ::testing::Test {
    QTemporaryDir tmp;
    shell::ProgramFolder folder{tmp.path()};
    QString file() const { return deliveryFilePath(folder); }
    void SetUp() override { QDir().mkpath(folder.data()); }
};

} // namespace

TEST(DeliveryLine, SplitAtFirstAndLastBar)
{
    struct Case {
        const char* line;
        const char* name;
        const char* price;
        const char* mark;
    };
    const Case cases[] = {
        {"Poczta|12,50|1", "Poczta", "12,50", "1"},
        {"||", "", "", ""},
        {"a|b|7|1", "a", "b|7", "1"},          // a name with "|" loses its tail to the price
        {"Kurier|20|10", "Kurier", "20", "1"}, // one character of mark
        {"x|1", "x", "", "1"},
        {"1abc", "", "", "1"}, // no bar: only a mark
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        const shell::DeliveryMethodRow row = DeliveryMethodList::splitLine(QString::fromUtf8(c.line));
        EXPECT_EQ(row.name, QString::fromUtf8(c.name)) << c.line;
        EXPECT_EQ(row.price, QString::fromUtf8(c.price)) << c.line;
        EXPECT_EQ(row.mark, QString::fromUtf8(c.mark)) << c.line;
    }
}

TEST_F(DeliveryTest, NoFileGivesFourEmptyRowsAndConfirmWritesFiveBars)
{
    DeliveryMethodsModel model(folder);
    EXPECT_EQ(model.rowCount(), 4);
    model.confirm();
    EXPECT_EQ(readFile(file()), QByteArray("||\r\n||\r\n||\r\n||\r\n||\r\n"));
}

TEST_F(DeliveryTest, HiddenLastLineSurvivesReadAndWrite)
{
    const QByteArray original(
        "Poczta Polska|12,50|1\r\nKurier|25|0\r\nOdbi\xF3r osobisty||1\r\nukryty|9|1\r\n");
    writeFile(file(), original);
    DeliveryMethodsModel model(folder);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.rows()[2].name, QStringLiteral("Odbiór osobisty"));
    EXPECT_EQ(model.list().hidden.name, QStringLiteral("ukryty"));
    model.confirm();
    EXPECT_EQ(readFile(file()), original);

    // A name with a bar is split at its first bar on the next reading, as the grid always did.
    model.setData(model.index(0, DeliveryMethodsModel::NameColumn), QStringLiteral("A|B"));
    model.confirm();
    ASSERT_TRUE(model.reload());
    EXPECT_EQ(model.rows()[0].name, QStringLiteral("A"));
    EXPECT_EQ(model.rows()[0].price, QStringLiteral("B|12,50"));
}

TEST_F(DeliveryTest, EditsStayUnconfirmedUntilConfirmAndCancelDropsThem)
{
    writeFile(file(), "Poczta|10|1\r\nKurier|20|0\r\n||\r\n");
    DeliveryMethodsModel model(folder);
    QSignalSpy edited(&model, &DeliveryMethodsModel::rowsEdited);
    model.toggleMark(1);
    model.toggleMark(0);
    EXPECT_EQ(model.rows()[1].mark, QStringLiteral("1"));
    EXPECT_EQ(model.rows()[0].mark, QStringLiteral("0"));
    EXPECT_FALSE(model.rows()[0].offered());
    EXPECT_TRUE(model.rows()[1].offered());
    EXPECT_EQ(edited.count(), 2);
    EXPECT_EQ(readFile(file()), QByteArray("Poczta|10|1\r\nKurier|20|0\r\n||\r\n"));
    model.reload();
    EXPECT_EQ(model.rows()[1].mark, QStringLiteral("0"));

    // Cancel without a file keeps the grid as it is.
    QFile::remove(file());
    model.toggleMark(1);
    EXPECT_FALSE(model.reload());
    EXPECT_EQ(model.rows()[1].mark, QStringLiteral("1"));
}

TEST_F(DeliveryTest, DeleteGoesThroughScratchFileAndKeepsHiddenRow)
{
    writeFile(file(), "A|1|1\r\nB|2|1\r\nC|3|0\r\nhidden|4|1\r\n");
    DeliveryMethodsModel model(folder);
    model.deleteRow(1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.rows()[1].name, QStringLiteral("C"));
    EXPECT_EQ(model.list().hidden.name, QStringLiteral("hidden"));
    EXPECT_EQ(readFile(deliveryScratchPath(folder)), QByteArray("A|1|1\r\nC|3|0\r\nhidden|4|1\r\n"));
    EXPECT_EQ(readFile(file()), QByteArray("A|1|1\r\nB|2|1\r\nC|3|0\r\nhidden|4|1\r\n"));
    model.deleteRow(7); // no such row
    EXPECT_EQ(model.rowCount(), 2);

    model.addRow(); // the kept row comes into view
    EXPECT_EQ(model.rows()[2].name, QStringLiteral("hidden"));
    model.confirm();
    EXPECT_EQ(readFile(file()), QByteArray("A|1|1\r\nC|3|0\r\nhidden|4|1\r\n||\r\n"));
}

TEST_F(DeliveryTest, PriceMustStayANumber)
{
    DeliveryMethodsModel model(folder);
    const QModelIndex price = model.index(0, DeliveryMethodsModel::PriceColumn);
    EXPECT_TRUE(model.setData(price, QStringLiteral("12,5")));
    EXPECT_FALSE(model.setData(price, QStringLiteral("12,5zł"))); // pasted text: the last valid price stays
    EXPECT_EQ(model.rows()[0].price, QStringLiteral("12,5"));
    EXPECT_TRUE(model.setData(price, QString()));
    EXPECT_TRUE(isAcceptablePriceText(QStringLiteral("12,")));
    EXPECT_TRUE(isAcceptablePriceText(QStringLiteral("7.99")));
    EXPECT_FALSE(isAcceptablePriceText(QStringLiteral("abc")));
    EXPECT_FALSE(isAcceptablePriceText(QStringLiteral(",")));
}

TEST_F(DeliveryTest, RowsCanBeReordered)
{
    writeFile(file(), "A|1|1\r\nB|2|1\r\nC|3|1\r\n||\r\n");
    DeliveryMethodsModel model(folder);
    ASSERT_TRUE(model.moveRows({}, 0, 1, {}, 3));
    EXPECT_EQ(model.rows()[2].name, QStringLiteral("A"));
    EXPECT_EQ(model.rows()[0].name, QStringLiteral("B"));
}
