#include "importer/valueconversion.h"

#include "shell/error.h"
#include "shell/tables/dataset.h"

#include <QLocale>

namespace importer {

using tables::FieldType;

ValueKind kindOf(FieldType type)
{
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::FormattedMemo:
        return ValueKind::Text;
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::AutoInc:
        return ValueKind::Integer;
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bcd:
        return ValueKind::Decimal;
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::Timestamp:
        return ValueKind::Date;
    case FieldType::Logical:
        return ValueKind::Logical;
    case FieldType::Binary:
    case FieldType::Graphic:
    case FieldType::Bytes:
        break;
    }
    return ValueKind::Binary;
}

QString ValueConversion::exactText(const QVariant& value, FieldType type)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (tables::isIntegerType(type) && d == double(qlonglong(d)))
            return QString::number(qlonglong(d));
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    return tables::valueToText(value, type);
}

QVariant ValueConversion::convert(const QVariant& value, const tables::Field& from, const tables::Field& to,
                                  const tables::DataSet& target)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    QVariant result;
    if (tables::typeCode(from.type) == tables::typeCode(to.type)) {
        result = value;
    } else {
        QString text = exactText(value, from.type);
        // A timestamp carries both parts; a date or a time field takes its own part.
        if (from.type == FieldType::Timestamp && text.size() >= 19) {
            if (to.type == FieldType::Date)
                text = text.left(10);
            else if (to.type == FieldType::Time)
                text = text.mid(11, 8);
        }
        if (text.isEmpty() && !tables::isTextType(to.type))
            return QVariant();
        result = target.textToValue(text, to);
    }
    if (to.type == FieldType::Alpha && to.size > 0 && result.typeId() == QMetaType::QString
        && result.toString().size() > to.size)
        throw shell::AppError(QStringLiteral("%1: wartość pola '%2' jest dłuższa niż %3 znaków")
                                  .arg(target.sourceName(), to.name)
                                  .arg(to.size));
    return result;
}

} // namespace importer
