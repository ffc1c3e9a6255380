#include "importer/lossreport.h"

#include <QRegularExpression>

namespace importer {

namespace {

QString reasonText(LossReport::Reason reason)
{
    switch (reason) {
    case LossReport::Reason::TooLong:
        return QStringLiteral("wartości za długie");
    case LossReport::Reason::LostDigits:
        return QStringLiteral("liczby straciłyby cyfry");
    case LossReport::Reason::CodePage:
        return QStringLiteral("znaki spoza strony kodowej celu");
    case LossReport::Reason::NullRequired:
        return QStringLiteral("brak wartości w polu wymaganym");
    case LossReport::Reason::Invalid:
        return QStringLiteral("wartości niezgodne z typem pola");
    case LossReport::Reason::Refused:
        break;
    }
    return QStringLiteral("odrzucone");
}

} // namespace

void LossReport::add(Reason reason, const QString& field, int record, const QString& message)
{
    // By field and reason; refusals of no known field by their message. The first message is kept as
    // the example.
    for (Entry& e : m_entries) {
        if (e.reason == reason && e.field == field && (!field.isEmpty() || e.message == message)) {
            ++e.count;
            return;
        }
    }
    m_entries.push_back({reason, field, message, 1, record});
}

int LossReport::total() const
{
    int n = 0;
    for (const Entry& e : m_entries)
        n += e.count;
    return n;
}

QStringList LossReport::lines() const
{
    QStringList out;
    for (const Entry& e : m_entries) {
        QString line = e.field.isEmpty() ? reasonText(e.reason)
                                         : QStringLiteral("pole %1: %2").arg(e.field, reasonText(e.reason));
        line += QStringLiteral(" — rekordów: %1, pierwszy nr %2").arg(e.count).arg(e.firstRecord);
        if (e.reason == Reason::Refused && !e.message.isEmpty())
            line += QStringLiteral(" (%1)").arg(e.message);
        out << line;
    }
    return out;
}

LossReport::Reason LossReport::reasonOf(const QString& message, QString* field)
{
    // The table modules name the field as "field NAME: what" or "field NAME, record N: what" (Polish "pole
    // NAME: ..."); SQLite as "NOT NULL constraint failed: t.NAME".
    static const QRegularExpression named(
        QStringLiteral("(?:field|pola|polu) '([^']+)'|(?:field|pole) ([^:',]+)[:,]"));
    static const QRegularExpression notNull(QStringLiteral("NOT NULL constraint failed: [^.]*\\.(\\S+)"));
    if (field) {
        const QRegularExpressionMatch m = named.match(message);
        const QRegularExpressionMatch n = notNull.match(message);
        *field = m.hasMatch()   ? (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1))
                 : n.hasMatch() ? n.captured(1)
                                : QString();
    }
    const auto has = [&](const char* text) {
        return message.contains(QString::fromUtf8(text), Qt::CaseInsensitive);
    };
    if (has("NOT NULL constraint"))
        return Reason::NullRequired;
    // The engine speaks English or Polish, as the program chose.
    if (has("code page") || has("stronie kodowej"))
        return Reason::CodePage;
    if (has("longer than") || has("dłuższa niż") || has("bytes long") || has("a pole mieści"))
        return Reason::TooLong;
    if (has("is not a valid") || has("not a number") || has("not a date") || has("nie jest poprawną"))
        return Reason::Invalid;
    if (has("digits") || has("does not fit the field") || has("round") || has("cyfr")
        || has("nie mieści się w szerokości") || has("zaokrągl"))
        return Reason::LostDigits;
    return Reason::Refused;
}

} // namespace importer
