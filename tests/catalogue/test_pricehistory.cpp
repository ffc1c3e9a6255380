#include "catalogue/categorytree.h"
#include "catalogue/pricehistory.h"
#include "catalogue/productrules.h"
#include "catalogue/productstable.h"
#include "fakeinteraction.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

const QDateTime kDay0(QDate(2026, 3, 1), QTime(10, 0));

EffectivePrice regular(double gross)
{
    return {gross / 1.23, gross, false};
}

EffectivePrice promoted(double gross)
{
    return {gross / 1.23, gross, true};
}

} // namespace

TEST(EffectivePrice, PromotedOnlyForPromotingStatusesAsThePagesShowIt)
{
    EXPECT_EQ(effectivePrice(100, 123, 0, 0, QString()), (EffectivePrice{100, 123, false}));
    EXPECT_EQ(effectivePrice(100, 123, 0, 0, QStringLiteral("New")), (EffectivePrice{100, 123, false}));
    EXPECT_EQ(effectivePrice(100, 123, 80, 98.4, QStringLiteral("Sale")), (EffectivePrice{80, 98.4, true}));
    EXPECT_EQ(effectivePrice(100, 123, 80, 98.4, QStringLiteral("Promotion")),
              (EffectivePrice{80, 98.4, true}));
}

// Each case: the product's rows as (days after day 0, price), and the lowest price a promotion shows.
struct LowestCase {
    const char* name;
    std::vector<std::pair<int, EffectivePrice>> rows;
    std::optional<double> lowestGross;
};

class LowestBeforePromotion : public testing::TestWithParam<LowestCase> {};

TEST_P(LowestBeforePromotion, ShowsTheLowestPriceInForceDuringTheThirtyDays)
{
    QTemporaryDir dir;
    PriceHistory history(dir.path());
    const QString id = QStringLiteral("ID000000001P");
    for (const auto& [day, price] : GetParam().rows)
        history.record(id, price, kDay0.addDays(day));
    // Products beside it in the table whose rows would change its answer if they were mixed in.
    history.record(QStringLiteral("ID000000000P"), regular(1), kDay0.addDays(19));
    history.record(QStringLiteral("ID000000002P"), regular(1), kDay0.addDays(1));
    history.record(QStringLiteral("ID000000002P"), promoted(2), kDay0.addDays(60));
    const auto lowest = history.lowestBeforePromotion(id);
    ASSERT_EQ(lowest.has_value(), GetParam().lowestGross.has_value());
    if (lowest) {
        EXPECT_DOUBLE_EQ(lowest->gross, *GetParam().lowestGross);
        EXPECT_NEAR(lowest->net, *GetParam().lowestGross / 1.23, 1e-9);
    }
    // Read for every product at once (a shop build), the same answer.
    const QHash<QString, LowestPriceBefore> all = history.lowestBeforePromotions();
    const auto found = all.constFind(PriceHistory::keyOf(QStringLiteral(" id000000001p")));
    ASSERT_EQ(found != all.constEnd(), lowest.has_value());
    if (lowest) {
        EXPECT_EQ(found->gross, lowest->gross);
        EXPECT_EQ(found->net, lowest->net);
        EXPECT_EQ(found->promotionStart, lowest->promotionStart);
    }
    EXPECT_DOUBLE_EQ(all.value(QStringLiteral("ID000000002P")).gross, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LowestBeforePromotion,
    testing::Values(
        LowestCase{"UpThenPromoted", {{0, regular(100)}, {10, regular(120)}, {20, promoted(90)}}, 100.0},
        // 100 was set 50 days before the promotion, but still in force when the window opened.
        LowestCase{
            "OldPriceStillInForce", {{0, regular(100)}, {45, regular(120)}, {50, promoted(90)}}, 100.0},
        // 80 ended before the window opened: it does not count.
        LowestCase{"OlderLowerPriceForgotten",
                   {{0, regular(80)}, {5, regular(130)}, {40, regular(120)}, {50, promoted(90)}},
                   120.0},
        // A deeper cut during the promotion keeps the start of the promotion.
        LowestCase{"DeeperCutKeepsStart",
                   {{0, regular(100)}, {20, regular(110)}, {30, promoted(90)}, {35, promoted(70)}},
                   100.0},
        // An earlier promotion inside the window was a price customers paid.
        LowestCase{"EarlierPromotionCounts",
                   {{0, regular(100)}, {5, promoted(60)}, {10, regular(100)}, {20, promoted(90)}},
                   60.0},
        LowestCase{"NotPromoted", {{0, regular(100)}, {10, regular(90)}}, std::nullopt},
        LowestCase{"PromotedFromTheStart", {{0, promoted(90)}}, std::nullopt},
        LowestCase{"NoHistory", {}, std::nullopt}),
    [](const testing::TestParamInfo<LowestCase>& info) { return std::string(info.param.name); });

TEST(PriceHistory, RecordsOnlyChangesAndMatchesIdsWithoutCase)
{
    QTemporaryDir dir;
    PriceHistory history(dir.path());
    EXPECT_FALSE(QFile::exists(history.path())); // nothing written, nothing created
    EXPECT_TRUE(history.record(QStringLiteral("ID000000001P"), regular(100), kDay0));
    EXPECT_FALSE(history.record(QStringLiteral("id000000001p"), regular(100), kDay0.addDays(1)));
    EXPECT_FALSE(history.record(QStringLiteral("ID000000001P"), regular(100.00001), kDay0.addDays(1)));
    EXPECT_TRUE(history.record(QStringLiteral("ID000000001P"), promoted(100), kDay0.addDays(2)));
    const auto rows = history.entries(QStringLiteral("id000000001P"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].when, kDay0);
    EXPECT_TRUE(rows[1].price.promoted);
    // The file is a native table the engine opens like any other.
    tables::Table table;
    table.open(history.path());
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_GE(table.fieldIndex(QStringLiteral("Brutto")), 0);
}

TEST(PriceHistory, PostsOfTheProductsTableAndBuildsAddRowsForChangedPrices)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("towary.db"));
    createProductsTable(path);
    tables::Table products;
    products.open(path);
    CategoryTree tree;
    FakeInteraction ui;
    ProductRules rules(products, tree, ui, dir.filePath(QStringLiteral("jpg/")));

    products.append();
    products.setValue(products::kId, QStringLiteral("ID000000001P"));
    products.setValue(products::kName, QStringLiteral("Kettle"));
    products.setValue(products::kNetPrice, 100.0);
    products.setValue(products::kGrossPrice, 123.0);
    products.post();
    products.setValue(products::kName, QStringLiteral("Kettle 2")); // no price change: no row
    products.post();
    products.setValue(products::kPromoGross, 99.0);
    products.setValue(products::kStatus, QStringLiteral("Promotion"));
    products.post();

    PriceHistory history(dir.path());
    auto rows = history.entries(QStringLiteral("ID000000001P"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0].price.gross, 123.0);
    EXPECT_DOUBLE_EQ(rows[1].price.gross, 99.0);

    // At a build: a price that differs from the product's last row adds one, the same price none; the
    // first record of an ID is the product.
    const std::vector<PriceHistory::CurrentPrice> current{{QStringLiteral("ID000000001P"), promoted(95)},
                                                          {QStringLiteral(" id000000001p"), regular(500)}};
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_EQ(history.recordChanges(current, now), 1);
    EXPECT_EQ(history.recordChanges(current, now.addDays(1)), 0);
    rows = history.entries(QStringLiteral("ID000000001P"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_DOUBLE_EQ(rows[2].price.gross, 95.0);
}
