#include "ui/kalmenor/datafolder.h"

#include <QCoreApplication>
#include <QFileInfo>

QString programDataFolder()
{
    const QString env = qEnvironmentVariable("KALMENOR_DATA_DIR");
    if (!env.isEmpty())
        return env;
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kalmenor");
    if (QFileInfo(installed + QStringLiteral("/skeleton")).isDir())
        return QFileInfo(installed).canonicalFilePath();
    return QStringLiteral(KAL_SOURCE_DIR "/data");
}
