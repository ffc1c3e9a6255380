#include "catalogue/paradoxconversion.h"

#include "catalogue/productstable.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/connection.h"
#include "shell/tables/table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace catalogue {

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The table's companion files (primary index, blobs, secondary indexes): same base name, any case.
QStringList companions(const QString& path)
{
    const QFileInfo info(path);
    QStringList found;
    for (const QString& name : QDir(info.path()).entryList(QDir::Files)) {
        const QFileInfo other(name);
        if (name != info.fileName() && other.completeBaseName() == info.completeBaseName()
            && QStringList{QStringLiteral("px"), QStringLiteral("mb")}.contains(other.suffix().toLower()))
            found << name;
        else if (name != info.fileName() && other.completeBaseName() == info.completeBaseName()
                 && (other.suffix().startsWith(QLatin1Char('x'), Qt::CaseInsensitive)
                     || other.suffix().startsWith(QLatin1Char('y'), Qt::CaseInsensitive)))
            found << name;
    }
    return found;
}

void renameOrFail(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to))
        throw shell::AppError(
            QStringLiteral("%1 exists already; move it away before converting").arg(native(to)));
    if (!QFile::rename(from, to))
        throw shell::AppError(QStringLiteral("Cannot rename %1 to %2").arg(native(from), native(to)));
}

} // namespace

bool isParadoxTable(const QString& path)
{
    return tables::detectFormat(path) == tables::FileFormat::Paradox;
}

QString paradoxProductsReadOnlyReason()
{
    return QStringLiteral(
        "it is an old Paradox table; convert it into the native table to change it (Kalmenor "
        "offers this at start-up, or run: kalmenor catalogue --convert)");
}

int convertParadoxProductsTable(const QString& path)
{
    if (!isParadoxTable(path))
        throw shell::AppError(
            QStringLiteral("%1 is not a Paradox table; nothing to convert").arg(native(path)));
    const QFileInfo info(path);
    const QDir dir(info.path());
    const QString base = info.completeBaseName();
    for (const QString& name : QStringList{info.fileName()} + companions(path)) {
        const QString target = dir.filePath(base + QStringLiteral(".paradox.") + QFileInfo(name).suffix());
        if (QFileInfo::exists(target))
            throw shell::AppError(
                QStringLiteral("%1 exists already; move it away before converting").arg(native(target)));
    }

    // The new table is made in a folder of its own beside the old one (its table is named after its file).
    const QString work = dir.filePath(QStringLiteral(".%1-converting").arg(base));
    QDir(work).removeRecursively();
    if (!QDir().mkpath(work))
        throw shell::AppError(QStringLiteral("Cannot create folder %1").arg(native(work)));
    const QString fresh = QDir(work).filePath(info.fileName());
    int records = 0;
    try {
        createProductsTable(fresh);
        tables::Connection db(fresh);
        db.exec(QStringLiteral("CREATE VIRTUAL TABLE temp.old USING paradox(%1)")
                    .arg(tables::quoteLiteral(path)));
        QStringList nativeColumns;
        for (const auto& col :
             db.select(QStringLiteral("PRAGMA main.table_info(%1)").arg(tables::quoteIdentifier(base))))
            nativeColumns << col[1].toString();
        QStringList columns, lost;
        for (const auto& col : db.select(QStringLiteral("PRAGMA temp.table_info(old)"))) {
            const QString name = col[1].toString();
            const auto match =
                std::find_if(nativeColumns.begin(), nativeColumns.end(),
                             [&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
            if (match == nativeColumns.end())
                lost << name;
            else
                columns << tables::quoteIdentifier(*match);
        }
        if (!lost.isEmpty())
            throw shell::AppError(
                QStringLiteral("%1: the columns %2 have no place in the native products table; nothing "
                               "was converted")
                    .arg(native(path), lost.join(QStringLiteral(", "))));
        db.begin();
        const QString list = columns.join(QStringLiteral(", "));
        db.run(QStringLiteral("INSERT INTO main.%1 (%2) SELECT %2 FROM temp.old ORDER BY rowid")
                   .arg(tables::quoteIdentifier(base), list));
        records = db.changes();
        db.commit();
        db.exec(QStringLiteral("DROP TABLE temp.old"));
    } catch (const shell::AppError&) {
        QDir(work).removeRecursively();
        throw;
    }

    // The original keeps its companions beside it under the new name; then the new file takes its place.
    QStringList moved;
    try {
        for (const QString& name : QStringList{info.fileName()} + companions(path)) {
            const QString target =
                dir.filePath(base + QStringLiteral(".paradox.") + QFileInfo(name).suffix());
            renameOrFail(dir.filePath(name), target);
            moved << name;
        }
        renameOrFail(fresh, path);
    } catch (const shell::AppError&) {
        for (const QString& name : moved)
            QFile::rename(dir.filePath(base + QStringLiteral(".paradox.") + QFileInfo(name).suffix()),
                          dir.filePath(name));
        QDir(work).removeRecursively();
        throw;
    }
    QDir(work).removeRecursively();
    return records;
}

int runParadoxConversionCommand(const QString& path, QTextStream& out, QTextStream& err)
{
    try {
        const int records = convertParadoxProductsTable(path);
        const QFileInfo info(path);
        out << "Converted " << records << " records into the native table " << native(path)
            << "; the Paradox original is kept as " << info.completeBaseName() << ".paradox." << info.suffix()
            << '\n';
        return 0;
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << '\n';
        return 2;
    }
}

bool offerParadoxConversion(const QString& path, shell::Interaction& ui)
{
    if (!isParadoxTable(path))
        return false;
    const QString base = QFileInfo(path).completeBaseName();
    if (!ui.question(
            QStringLiteral("The products table %1 is an old Paradox table, which Kalmenor can only show.\n\n"
                           "Convert it into Kalmenor's own table now? The original stays beside it as "
                           "%2.paradox.db (with its .PX and .MB files).")
                .arg(native(path), base),
            QStringLiteral("Paradox products table")))
        return false;
    try {
        const int records = convertParadoxProductsTable(path);
        ui.message(QStringLiteral("The products table was converted: %1 records.").arg(records));
        return true;
    } catch (const std::exception& e) {
        ui.error(shell::messageOf(e));
        return false;
    }
}

} // namespace catalogue
