#include "catalogue/pricing.h"
#include "shell/error.h"

#include <gtest/gtest.h>

using namespace catalogue::pricing;

namespace {
const QLocale kPolish(QLocale::Polish, QLocale::Poland);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
} // namespace

TEST(Pricing, NetToGrossUsesFixedPointTruncation)
{
    EXPECT_EQ(netToGross(QStringLiteral("100"), QStringLiteral("22"), kPolish), QStringLiteral("122"));
    EXPECT_EQ(netToGross(QStringLiteral("0,01"), QStringLiteral("22"), kPolish), QStringLiteral("0,0122"));
    // 10.005 × 7 = 70.035, ÷ 100 = 0.70035 truncated to 0.7003.
    EXPECT_EQ(netToGross(QStringLiteral("10,005"), QStringLiteral("7"), kPolish), QStringLiteral("10,7053"));
    EXPECT_EQ(netToGross(QStringLiteral("10.005"), QStringLiteral("7"), kEnglish), QStringLiteral("10.7053"));
    // Input rounds to four decimals.
    EXPECT_EQ(netToGross(QStringLiteral("1,00005"), QStringLiteral("0"), kPolish), QStringLiteral("1,0001"));
    EXPECT_EQ(netToGross(QStringLiteral("-10"), QStringLiteral("22"), kPolish), QStringLiteral("-12,2"));
}

TEST(Pricing, ExemptRateIsZeroPercentInsteadOfAConversionError)
{
    EXPECT_EQ(netToGross(QStringLiteral("99,99"), QStringLiteral("zw."), kPolish), QStringLiteral("99,99"));
    EXPECT_EQ(promotionNetToGross(QStringLiteral("5"), QStringLiteral("zw."), kPolish),
              QStringLiteral("5,00"));
    EXPECT_EQ(grossToNet(QStringLiteral("5"), QStringLiteral("zw."), kPolish), QStringLiteral("5,00"));
}

TEST(Pricing, PromotionNetToGross)
{
    // (0.01 × 7) ÷ 100 = 0.0007, so 0.0107, written with two decimals.
    EXPECT_EQ(promotionNetToGross(QStringLiteral("0,01"), QStringLiteral("7"), kPolish),
              QStringLiteral("0,01"));
    EXPECT_EQ(promotionNetToGross(QStringLiteral("100"), QStringLiteral("22"), kPolish),
              QStringLiteral("122,00"));
    // Every whole rate gets the same formula (the box offers 0 … 22), not 0.00.
    EXPECT_EQ(promotionNetToGross(QStringLiteral("100"), QStringLiteral("8"), kPolish),
              QStringLiteral("108,00"));
    EXPECT_EQ(promotionNetToGross(QStringLiteral("100"), QStringLiteral("xx"), kPolish),
              QStringLiteral("0,00"));
    // Rounding of the third decimal: 0.0050 → 0.01.
    EXPECT_EQ(promotionNetToGross(QStringLiteral("0,005"), QStringLiteral("0"), kPolish),
              QStringLiteral("0,01"));
}

TEST(Pricing, GrossToNetInSinglePrecision)
{
    EXPECT_EQ(grossToNet(QStringLiteral("122"), QStringLiteral("22"), kPolish), QStringLiteral("100,00"));
    EXPECT_EQ(grossToNet(QStringLiteral("107"), QStringLiteral("7"), kPolish), QStringLiteral("100,00"));
    EXPECT_EQ(grossToNet(QStringLiteral("103"), QStringLiteral("3"), kPolish), QStringLiteral("100,00"));
    EXPECT_EQ(grossToNet(QStringLiteral("105"), QStringLiteral("5"), kPolish), QStringLiteral("100,00"));
    EXPECT_EQ(grossToNet(QStringLiteral("108"), QStringLiteral("8"), kPolish), QStringLiteral("100,00"));
    EXPECT_EQ(grossToNet(QStringLiteral("112"), QStringLiteral("12"), kPolish), QStringLiteral("100,00"));
    EXPECT_EQ(promotionGrossToNet(QStringLiteral("112"), QStringLiteral("12"), kPolish),
              QStringLiteral("100,00"));
    // Seven significant digits: 1234567.89 is held as 1234567.875 before the division.
    const float held = parseSingle(QStringLiteral("1234567,89"), kPolish);
    EXPECT_EQ(double(held), 1234567.875);
    EXPECT_EQ(grossToNet(QStringLiteral("1234567,89"), QStringLiteral("0"), kPolish),
              QStringLiteral("1234567,88"));
    EXPECT_EQ(grossToNet(QStringLiteral("1234567,89"), QStringLiteral("22"), kPolish),
              formatTwoDecimals(double(float((long double)held * 0.8196721311475410L)), kPolish));
    EXPECT_THROW(grossToNet(QStringLiteral("1"), QStringLiteral("abc"), kPolish), shell::AppError);
}

TEST(Pricing, BadNumbersThrowWithTheText)
{
    for (const char* bad : {"abc", "1,2,3", "", " ", "12zł", "1e5x", "99999999999999999999"}) {
        try {
            netToGross(QString::fromUtf8(bad), QStringLiteral("22"), kPolish);
            ADD_FAILURE() << bad;
        } catch (const shell::AppError& e) {
            EXPECT_FALSE(e.message().isEmpty());
        }
    }
    EXPECT_THROW(parseSingle(QStringLiteral("x"), kPolish), shell::AppError);
    EXPECT_THROW(parseSingle(QStringLiteral("1e300"), kPolish), shell::AppError);
    // A huge but representable net overflows in the multiplication, reported instead of wrapping.
    EXPECT_THROW(netToGross(QStringLiteral("900000000000000"), QStringLiteral("22"), kPolish),
                 shell::AppError);
}

TEST(Pricing, FixedPointArithmetic)
{
    const Fixed a = Fixed::parse(QStringLiteral("10,005"), kPolish);
    EXPECT_EQ(a.units(), 100050);
    EXPECT_EQ((a * Fixed::fromInt(7)).units(), 700350);
    EXPECT_EQ(Fixed::fromUnits(700350).dividedBy(100).units(), 7003);
    EXPECT_EQ(Fixed::fromUnits(-700350).dividedBy(100).units(), -7003); // toward zero
    EXPECT_EQ(Fixed::fromUnits(1220000).shortestText(kPolish), QStringLiteral("122"));
    EXPECT_EQ(Fixed::fromUnits(5).twoDecimals(kPolish), QStringLiteral("0,00"));
    EXPECT_EQ(Fixed::fromUnits(-5).twoDecimals(kPolish), QStringLiteral("0,00"));
    EXPECT_EQ(Fixed::fromUnits(-50).twoDecimals(kPolish), QStringLiteral("-0,01"));
}
