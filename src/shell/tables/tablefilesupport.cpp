#include "shell/tables/tablefilesupport.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/connection.h"

#include <QDir>
#include <QFileInfo>

namespace tables {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString companionFile(const QString& tablePath, const QString& extension)
{
    const QFileInfo info(tablePath);
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.');
    // The usual spellings first: listing a large folder costs more than two look-ups.
    for (const QString& ext : {extension.toLower(), extension.toUpper()}) {
        if (QFileInfo(base + ext).isFile())
            return base + ext;
    }
    const QDir dir(info.path());
    const QStringList all =
        dir.entryList({info.completeBaseName() + QLatin1Char('.') + extension}, QDir::Files | QDir::Hidden);
    return all.isEmpty() ? QString() : dir.filePath(all.first());
}

namespace {
WritableCheck writableCheck = nullptr;
}

bool isWritableFile(const QString& path)
{
    return writableCheck ? writableCheck(path) : QFileInfo(path).isWritable();
}

void setWritableCheck(WritableCheck check)
{
    writableCheck = check;
}

void failFile(const QString& path, const QString& what)
{
    throw shell::AppError(QStringLiteral("%1: %2").arg(nativePath(path), what));
}

void failChangedByAnotherProgram(const QString& path)
{
    failFile(path, msg("the table was changed by another program since it was opened here; open it "
                       "again before changing it"));
}

TableFileOptions TableFileOptions::parse(const QStringList& arguments)
{
    TableFileOptions options;
    if (!arguments.isEmpty())
        options.codePage = arguments.first().trimmed();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString word = arguments[i].trimmed().toLower();
        if (word == QLatin1String("allow-stale-indexes"))
            options.allowStaleIndexes = true;
        else if (word == QLatin1String("allow-rounding"))
            options.allowRounding = true;
        else if (!word.isEmpty())
            throw shell::AppError(msg("the table option \"%1\" is not known").arg(arguments[i]));
    }
    return options;
}

QStringList TableFileOptions::toSqlArguments() const
{
    QStringList args{quoteLiteral(codePage)};
    if (allowStaleIndexes)
        args << quoteLiteral(QStringLiteral("allow-stale-indexes"));
    if (allowRounding)
        args << quoteLiteral(QStringLiteral("allow-rounding"));
    return args;
}

} // namespace tables
