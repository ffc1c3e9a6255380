#include "importer/exportsettings.h"

namespace importer {

QStringList ExportSettings::separatorOptions()
{
    return {QStringLiteral("Tab"), QStringLiteral("|"),  QStringLiteral("#"), QStringLiteral("-"),
            QStringLiteral("/"),   QStringLiteral("\\"), QStringLiteral(";"), QStringLiteral(":"),
            QStringLiteral("'"),   QStringLiteral("@"),  QStringLiteral("^"), QStringLiteral("&"),
            QStringLiteral("*"),   QStringLiteral("~")};
}

QString ExportSettings::separatorFor(const QString& option)
{
    if (option.compare(QLatin1String("Tab"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("\t");
    return option;
}

} // namespace importer
