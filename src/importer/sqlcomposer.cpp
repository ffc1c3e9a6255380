#include "importer/sqlcomposer.h"

#include "shell/tables/connection.h"

namespace importer {

QStringList SqlComposer::operators()
{
    return {QStringLiteral(">"),   QStringLiteral("<"),  QStringLiteral("= "),  QStringLiteral(">="),
            QStringLiteral("<="),  QStringLiteral("<>"), QStringLiteral("AND"), QStringLiteral("OR"),
            QStringLiteral("NOT"), QStringLiteral("("),  QStringLiteral(")"),   QStringLiteral("+"),
            QStringLiteral("-"),   QStringLiteral("*"),  QStringLiteral("/"),   QStringLiteral(","),
            QStringLiteral("||"),  QStringLiteral("'")};
}

QStringList SqlComposer::keywords()
{
    return {QStringLiteral("ALL"),      QStringLiteral("ANY"),         QStringLiteral("AVG"),
            QStringLiteral("BETWEEN"),  QStringLiteral("CAST"),        QStringLiteral("COUNT"),
            QStringLiteral("COUNT(*)"), QStringLiteral("DELETE"),      QStringLiteral("DISTINCT"),
            QStringLiteral("EXISTS"),   QStringLiteral("EXTRACT"),     QStringLiteral("FROM"),
            QStringLiteral("GROUP BY"), QStringLiteral("HAVING"),      QStringLiteral("IN"),
            QStringLiteral("INNER"),    QStringLiteral("INSERT"),      QStringLiteral("IS NOT NULL"),
            QStringLiteral("IS NULL"),  QStringLiteral("LIKE"),        QStringLiteral("LOWER"),
            QStringLiteral("MAX"),      QStringLiteral("MIN"),         QStringLiteral("NONE"),
            QStringLiteral("NOT ALL"),  QStringLiteral("NOT BETWEEN"), QStringLiteral("NOT IN"),
            QStringLiteral("NOT LIKE"), QStringLiteral("ORDER BY"),    QStringLiteral("OUTER"),
            QStringLiteral("SELECT"),   QStringLiteral("SOME"),        QStringLiteral("SUBSTRING"),
            QStringLiteral("SUM"),      QStringLiteral("TRIM"),        QStringLiteral("UNION"),
            QStringLiteral("UPDATE"),   QStringLiteral("UPPER"),       QStringLiteral("WHERE")};
}

QString SqlComposer::insertion(const QString& entry, const QString& sourcePath)
{
    QString text = entry + QLatin1Char(' ');
    if (entry == QLatin1String("FROM"))
        text += tables::quoteLiteral(sourcePath) + QLatin1Char(' ');
    return text;
}

QString SqlComposer::appendFileName(const QString& statement, const QString& fileName)
{
    if (statement.isEmpty())
        return fileName;
    return statement + QLatin1Char(' ') + fileName;
}

} // namespace importer
