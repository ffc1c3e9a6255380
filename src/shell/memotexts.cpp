#include "shell/memotexts.h"

#include "shell/error.h"
#include "shell/textfile.h"

#include <QFile>

namespace shell {

namespace memotexts {

ReadResult read(const QString& path, QString* text)
{
    if (!QFile::exists(path))
        return ReadResult::Missing;
    try {
        *text = textfile::readLines(path).join(QLatin1Char('\n'));
        return ReadResult::Loaded;
    } catch (const AppError&) {
        return ReadResult::Unreadable;
    }
}

void write(const QString& path, const QString& text)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    textfile::writeLines(path, normalized.isEmpty() ? QStringList() : normalized.split(QLatin1Char('\n')));
}

} // namespace memotexts

} // namespace shell
