#include "shell/error.h"
#include "shell/tables/fieldtype.h"

#include <QVariant>
#include <gtest/gtest.h>

using namespace tables;

namespace {

struct TextCase {
    FieldType type;
    const char* typed;
    QVariant stored;
    const char* shown; // how the stored value reads back
};

class TextToValue : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextToValue, StoresTheTypedTextAndShowsItBack)
{
    const TextCase c = GetParam();
    const Field f{QStringLiteral("F"), c.type, 0, true};
    const QVariant v = textToValue(QString::fromUtf8(c.typed), f);
    EXPECT_EQ(v, c.stored) << c.typed;
    EXPECT_EQ(valueToText(v, c.type), QString::fromUtf8(c.shown)) << c.typed;
}

INSTANTIATE_TEST_SUITE_P(
    Types, TextToValue,
    ::testing::Values(TextCase{FieldType::Alpha, " zażółć ", QStringLiteral(" zażółć "), " zażółć "},
                      TextCase{FieldType::Number, "12,5", 12.5, "12.5"},
                      TextCase{FieldType::Money, " 0.1 ", 0.1, "0.1"},
                      TextCase{FieldType::Integer, "42", qlonglong(42), "42"},
                      TextCase{FieldType::Integer, "42,0", qlonglong(42), "42"},
                      TextCase{FieldType::SmallInt, "-32768", qlonglong(-32768), "-32768"},
                      TextCase{FieldType::Logical, "tak", qlonglong(1), "True"},
                      TextCase{FieldType::Logical, "F", qlonglong(0), "False"},
                      TextCase{FieldType::Date, "24.12.2023", QStringLiteral("2023-12-24"), "2023-12-24"},
                      TextCase{FieldType::Time, "7:05", QStringLiteral("07:05:00"), "07:05:00"},
                      TextCase{FieldType::Timestamp, "2023-12-24T07:05:00",
                               QStringLiteral("2023-12-24 07:05:00"), "2023-12-24 07:05:00"},
                      TextCase{FieldType::Bytes, "ab", QByteArray("ab"), "ab"},
                      TextCase{FieldType::Number, "", QVariant(), ""}));

TEST(TextToValueRefuses, TextThatIsNotOfTheTypeAndNamesTheField)
{
    const struct {
        FieldType type;
        const char* typed;
    } cases[] = {{FieldType::Number, "12a"},        {FieldType::Integer, "4.5"},
                 {FieldType::SmallInt, "32768"},    {FieldType::Logical, "maybe"},
                 {FieldType::Date, "31.02.2023"},   {FieldType::Time, "25:00"},
                 {FieldType::Timestamp, "tomorrow"}};
    for (const auto& c : cases) {
        const Field f{QStringLiteral("Cena"), c.type, 0, true};
        try {
            textToValue(QString::fromUtf8(c.typed), f);
            ADD_FAILURE() << c.typed << " was taken";
        } catch (const shell::AppError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String("'Cena'"))) << e.what();
        }
    }
}

TEST(ValueToText, WholeNumbersStoredAsRealShowNoFraction)
{
    EXPECT_EQ(valueToText(QVariant(7.0), FieldType::Integer), QStringLiteral("7"));
    EXPECT_EQ(valueToText(QVariant(0.30000000000000004), FieldType::Number), QStringLiteral("0.3"));
    EXPECT_EQ(valueToText(QVariant(QStringLiteral("T")), FieldType::Logical), QStringLiteral("T"));
    EXPECT_EQ(valueToText(QVariant(), FieldType::Alpha), QString());
}

} // namespace
