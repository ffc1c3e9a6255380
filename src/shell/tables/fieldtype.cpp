#include "shell/tables/fieldtype.h"

#include "shell/tables/messages.h"

#include "shell/error.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <QVariant>

namespace tables {

QChar typeCode(FieldType t)
{
    switch (t) {
    case FieldType::Alpha:
        return QLatin1Char('A');
    case FieldType::Memo:
        return QLatin1Char('M');
    case FieldType::FormattedMemo:
        return QLatin1Char('F');
    case FieldType::Number:
        return QLatin1Char('N');
    case FieldType::Money:
        return QLatin1Char('$');
    case FieldType::Bcd:
        return QLatin1Char('#');
    case FieldType::Integer:
        return QLatin1Char('I');
    case FieldType::SmallInt:
        return QLatin1Char('S');
    case FieldType::AutoInc:
        return QLatin1Char('+');
    case FieldType::Logical:
        return QLatin1Char('L');
    case FieldType::Date:
        return QLatin1Char('D');
    case FieldType::Time:
        return QLatin1Char('T');
    case FieldType::Timestamp:
        return QLatin1Char('@');
    case FieldType::Binary:
        return QLatin1Char('B');
    case FieldType::Graphic:
        return QLatin1Char('G');
    case FieldType::Bytes:
        return QLatin1Char('Y');
    }
    return QLatin1Char('?');
}

QString typeName(FieldType t)
{
    switch (t) {
    case FieldType::Alpha:
        return QStringLiteral("Alpha");
    case FieldType::Memo:
        return QStringLiteral("Memo");
    case FieldType::FormattedMemo:
        return QStringLiteral("Formatted memo");
    case FieldType::Number:
        return QStringLiteral("Number");
    case FieldType::Money:
        return QStringLiteral("Money");
    case FieldType::Bcd:
        return QStringLiteral("BCD");
    case FieldType::Integer:
        return QStringLiteral("Long integer");
    case FieldType::SmallInt:
        return QStringLiteral("Short");
    case FieldType::AutoInc:
        return QStringLiteral("AutoInc");
    case FieldType::Logical:
        return QStringLiteral("Logical");
    case FieldType::Date:
        return QStringLiteral("Date");
    case FieldType::Time:
        return QStringLiteral("Time");
    case FieldType::Timestamp:
        return QStringLiteral("Timestamp");
    case FieldType::Binary:
        return QStringLiteral("Binary");
    case FieldType::Graphic:
        return QStringLiteral("Graphic");
    case FieldType::Bytes:
        return QStringLiteral("Bytes");
    }
    return QStringLiteral("?");
}

QString declaredType(const Field& f, bool virtualTable)
{
    switch (f.type) {
    case FieldType::Alpha:
        return QStringLiteral("CHAR(%1)").arg(f.size > 0 ? f.size : 255);
    case FieldType::Memo:
        return QStringLiteral("MEMO TEXT");
    case FieldType::FormattedMemo:
        return QStringLiteral("FMTMEMO TEXT");
    case FieldType::Number:
        return QStringLiteral("DOUBLE");
    case FieldType::Money:
        return QStringLiteral("MONEY REAL");
    case FieldType::Bcd:
        return QStringLiteral("BCD REAL");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::SmallInt:
        return QStringLiteral("SMALLINT");
    case FieldType::AutoInc:
        return virtualTable ? QStringLiteral("AUTOINC INTEGER")
                            : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Logical:
        return QStringLiteral("BOOLEAN");
    case FieldType::Date:
        return QStringLiteral("DATE");
    case FieldType::Time:
        return QStringLiteral("TIME");
    case FieldType::Timestamp:
        return QStringLiteral("TIMESTAMP");
    case FieldType::Binary:
        return QStringLiteral("BLOB");
    case FieldType::Graphic:
        return QStringLiteral("GRAPHIC BLOB");
    case FieldType::Bytes:
        return QStringLiteral("BYTES BLOB(%1)").arg(f.size);
    }
    return QStringLiteral("BLOB");
}

Field fieldFromDeclared(const QString& name, const QString& declared)
{
    Field f;
    f.name = name;
    QString d = declared.trimmed().toUpper();
    static const QRegularExpression readOnlyWord(QStringLiteral("\\bREADONLY\\b"));
    if (d.contains(readOnlyWord)) {
        f.modifiable = false;
        d.remove(readOnlyWord);
        d = d.simplified();
    }
    static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)"));
    const auto sizeMatch = sizeRe.match(d);
    const int size = sizeMatch.hasMatch() ? sizeMatch.captured(1).toInt() : 0;
    const auto starts = [&](const char* w) { return d.startsWith(QLatin1String(w)); };

    if (starts("MEMO"))
        f.type = FieldType::Memo;
    else if (starts("FMTMEMO"))
        f.type = FieldType::FormattedMemo;
    else if (starts("MONEY"))
        f.type = FieldType::Money;
    else if (starts("BCD"))
        f.type = FieldType::Bcd;
    else if (starts("AUTOINC")) {
        f.type = FieldType::AutoInc;
        f.modifiable = false;
    } else if (starts("SMALLINT"))
        f.type = FieldType::SmallInt;
    else if (starts("BOOL") || starts("LOGICAL"))
        f.type = FieldType::Logical;
    else if (starts("TIMESTAMP") || starts("DATETIME"))
        f.type = FieldType::Timestamp;
    else if (starts("DATE"))
        f.type = FieldType::Date;
    else if (starts("TIME"))
        f.type = FieldType::Time;
    else if (starts("GRAPHIC"))
        f.type = FieldType::Graphic;
    else if (starts("BYTES")) {
        f.type = FieldType::Bytes;
        f.size = size;
    } else if (d.contains(QLatin1String("INT")))
        f.type = FieldType::Integer;
    else if (d.contains(QLatin1String("CHAR")) || d.contains(QLatin1String("CLOB"))
             || d.contains(QLatin1String("TEXT"))) {
        f.type = size > 0 ? FieldType::Alpha : FieldType::Memo;
        f.size = size;
    } else if (d.isEmpty() || d.contains(QLatin1String("BLOB")))
        f.type = FieldType::Binary;
    else
        f.type = FieldType::Number; // REAL, FLOAT, DOUBLE, NUMERIC, DECIMAL
    return f;
}

bool isTextType(FieldType t)
{
    return t == FieldType::Alpha || t == FieldType::Memo || t == FieldType::FormattedMemo;
}

bool isIntegerType(FieldType t)
{
    return t == FieldType::Integer || t == FieldType::SmallInt || t == FieldType::AutoInc;
}

bool isNumberType(FieldType t)
{
    return isIntegerType(t) || t == FieldType::Number || t == FieldType::Money || t == FieldType::Bcd;
}

QString valueToText(const QVariant& v, FieldType t)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (t == FieldType::Logical) {
        if (v.typeId() == QMetaType::QString)
            return v.toString();
        return v.toLongLong() != 0 ? QStringLiteral("True") : QStringLiteral("False");
    }
    switch (v.typeId()) {
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (isIntegerType(t))
            return QString::number(qlonglong(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray());
    default:
        return v.toString();
    }
}

QVariant textToValue(const QString& text, const Field& f)
{
    if (text.isEmpty())
        return QVariant();
    const auto bad = [&](const char* what) {
        throw shell::AppError(msg("'%1' is not a valid %2 for field '%3'").arg(text, msg(what), f.name));
    };
    const QString t = text.trimmed();
    switch (f.type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::FormattedMemo:
        return text;
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bcd: {
        bool ok = false;
        double d = QLocale::c().toDouble(QString(t).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
        if (!ok)
            d = QLocale::system().toDouble(t, &ok);
        if (!ok)
            bad("number");
        return d;
    }
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::AutoInc: {
        bool ok = false;
        qlonglong n = t.toLongLong(&ok);
        if (!ok) {
            const double d =
                QLocale::c().toDouble(QString(t).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
            if (ok && d == double(qlonglong(d)))
                n = qlonglong(d);
            else
                ok = false;
        }
        if (!ok || (f.type == FieldType::SmallInt && (n < -32768 || n > 32767)))
            bad("whole number");
        return n;
    }
    case FieldType::Logical: {
        const QString u = t.toUpper();
        if (u == QLatin1String("TRUE") || u == QLatin1String("T") || u == QLatin1String("Y")
            || u == QLatin1String("1") || u == QLatin1String("TAK"))
            return qlonglong(1);
        if (u == QLatin1String("FALSE") || u == QLatin1String("F") || u == QLatin1String("N")
            || u == QLatin1String("0") || u == QLatin1String("NIE"))
            return qlonglong(0);
        bad("logical value");
        return {};
    }
    case FieldType::Date: {
        QDate d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid())
            d = QLocale::system().toDate(t, QLocale::ShortFormat);
        if (!d.isValid())
            d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
        if (!d.isValid())
            bad("date");
        return d.toString(QStringLiteral("yyyy-MM-dd"));
    }
    case FieldType::Time: {
        QTime tm = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
        if (!tm.isValid())
            tm = QTime::fromString(t, QStringLiteral("H:mm"));
        if (!tm.isValid())
            tm = QTime::fromString(t, QStringLiteral("H:mm:ss"));
        if (!tm.isValid())
            bad("time");
        return tm.toString(QStringLiteral("HH:mm:ss"));
    }
    case FieldType::Timestamp: {
        QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime::fromString(t, Qt::ISODate);
        if (!dt.isValid())
            dt = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        if (!dt.isValid())
            bad("date and time");
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case FieldType::Binary:
    case FieldType::Graphic:
    case FieldType::Bytes:
        return text.toLatin1();
    }
    return text;
}

} // namespace tables
