#include "shell/backup.h"

#include "shell/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace shell {

namespace backup {
namespace {

void makeFolder(const QString& path, const QString& failureMessage)
{
    if (QFileInfo(path).isDir())
        return;
    if (!QDir().mkdir(path))
        throw AppError(failureMessage);
}

// Copies every file directly inside from into to; a copy lands under a temporary name first, so an
// interrupted copy never replaces the earlier backup of a file with half a file.
bool copyFiles(const QString& from, const QString& to)
{
    bool allCopied = true;
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo& f : files) {
        const QString target = to + QLatin1Char('/') + f.fileName();
        const QString temp = target + QStringLiteral(".kopia-tmp");
        QFile::remove(temp);
        if (!QFile::copy(f.filePath(), temp)) {
            allCopied = false;
            continue;
        }
        QFile::remove(target);
        if (!QFile::rename(temp, target)) {
            QFile::remove(temp);
            allCopied = false;
        }
    }
    return allCopied;
}

} // namespace

QString monthFolderName(const QDate& today)
{
    return today.toString(QStringLiteral("yyyy-MM"));
}

bool run(const ProgramFolder& folder, const QDate& today)
{
    const QString month = monthFolderName(today);
    const QString root = folder.backupRoot();
    makeFolder(root, QStringLiteral("Błąd utworzenia katalogu Kopia Bd"));
    const QString monthDir = root + QLatin1Char('/') + month;
    makeFolder(monthDir, QStringLiteral("Błąd utworzenia katalogu ") + month);
    const QString bd = monthDir + QStringLiteral("/Bd");
    makeFolder(bd, QStringLiteral("Błąd utworzenia katalogu Bd"));
    const QString jpg = bd + QStringLiteral("/jpg");
    makeFolder(jpg, QStringLiteral("Błąd utworzenia katalogu jpg"));

    bool allCopied = copyFiles(folder.program() + QStringLiteral("/Bd"), bd);
    allCopied = copyFiles(folder.program() + QStringLiteral("/Bd/jpg"), jpg) && allCopied;
    return allCopied;
}

QString resultMessage(bool allCopied)
{
    return allCopied ? QStringLiteral("Kopia bezpieczeństwa została wykonana pomyślnie")
                     : QStringLiteral("Wystąpił błąd podczas wykonywania Kopii bezpieczeństwa");
}

} // namespace backup

} // namespace shell
