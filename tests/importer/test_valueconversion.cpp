#include "importer/valueconversion.h"

#include "importertables.h"
#include "shell/error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

class ValueConversionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    tables::Table target;
    void SetUp() override
    {
        makeTable(dir.filePath("t.db"), {field("A", FieldType::Alpha, 8)});
        target.open(dir.filePath("t.db"));
    }
    QVariant convert(const QVariant& v, FieldType from, FieldType to, int size = 0)
    {
        return ValueConversion::convert(v, field("s", from), field("t", to, size), target);
    }
};

} // namespace

TEST_F(ValueConversionTest, AcrossTypesThroughExactText)
{
    EXPECT_EQ(convert(0.1 + 0.2, FieldType::Number, FieldType::Alpha, 40).toString(), "0.30000000000000004");
    EXPECT_EQ(convert(1e21, FieldType::Number, FieldType::Memo).toString(), "1e+21");
    EXPECT_EQ(convert(12.0, FieldType::Number, FieldType::Integer).toLongLong(), 12);
    EXPECT_EQ(convert(qlonglong(1), FieldType::Logical, FieldType::Alpha, 10).toString(), "True");
    EXPECT_EQ(convert("2001-02-03 04:05:06", FieldType::Timestamp, FieldType::Time).toString(), "04:05:06");
    EXPECT_EQ(convert("2001-02-03", FieldType::Date, FieldType::Timestamp).toString(), "2001-02-03 00:00:00");
    EXPECT_EQ(convert(" 42 ", FieldType::Alpha, FieldType::SmallInt).toLongLong(), 42);
    EXPECT_FALSE(convert(QVariant(), FieldType::Alpha, FieldType::Number).isValid());
    EXPECT_FALSE(convert(QString(""), FieldType::Alpha, FieldType::Date).isValid()); // empty text: no value
}

TEST_F(ValueConversionTest, ValuesTheTargetCannotHoldAreRefused)
{
    EXPECT_THROW(convert("abc", FieldType::Alpha, FieldType::Number), shell::AppError);
    EXPECT_THROW(convert("99999", FieldType::Alpha, FieldType::SmallInt), shell::AppError);
    EXPECT_THROW(convert("31.02.2020", FieldType::Alpha, FieldType::Date), shell::AppError);
    // The same type keeps the value, but an alpha field still has its length.
    EXPECT_EQ(convert("12345678", FieldType::Alpha, FieldType::Alpha, 8).toString(), "12345678");
    EXPECT_THROW(convert("123456789", FieldType::Alpha, FieldType::Alpha, 8), shell::AppError);
}
