#pragma once

#include "shell/tables/fieldtype.h"

#include <QVariant>

namespace tables {
class DataSet;
}

namespace importer {

// Kinds of values as users understand them; the type question is asked only across kinds.
enum class ValueKind { Text, Integer, Decimal, Date, Logical, Binary };
ValueKind kindOf(tables::FieldType type);

// Carries a value from a field of one table into a field of another without losing it: fields of the
// same type take the stored value as it is; across types the value goes through text written so that it
// reads back exactly (shortest exact numbers, ISO dates and times). Throws AppError naming the target
// field when the value does not fit it.
class ValueConversion {
public:
    static QVariant convert(const QVariant& value, const tables::Field& from, const tables::Field& to,
                            const tables::DataSet& target);
    // The text form used across types.
    static QString exactText(const QVariant& value, tables::FieldType type);
};

} // namespace importer
