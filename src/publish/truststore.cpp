#include "publish/truststore.h"

#include "publish/tlscontext.h"
#include "shell/textfile.h"

#include <QFile>

namespace publish::truststore {

namespace {

QStringList readLines(const QString& file)
{
    if (file.isEmpty() || !QFile::exists(file))
        return {};
    return shell::textfile::readLines(file);
}

} // namespace

QStringList fingerprintsFor(const QString& file, const QString& host)
{
    QStringList found;
    for (const QString& line : readLines(file)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() == 2 && fields[0].compare(host, Qt::CaseInsensitive) == 0
            && !normalizedFingerprint(fields[1]).isEmpty())
            found << normalizedFingerprint(fields[1]);
    }
    return found;
}

void remember(const QString& file, const QString& host, const QString& fingerprint)
{
    const QString normalized = normalizedFingerprint(fingerprint);
    if (fingerprintsFor(file, host).contains(normalized))
        return;
    QStringList lines = readLines(file);
    lines << host + QLatin1Char(' ') + normalized;
    shell::textfile::writeLines(file, lines);
}

} // namespace publish::truststore
