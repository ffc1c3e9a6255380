#include "shell/programfolder.h"

#include "shell/error.h"
#include "shell/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace shell {

ProgramFolder::ProgramFolder(const QString& programDir)
    : m_program(QDir::cleanPath(QDir(programDir).absolutePath()))
{
}

namespace {
constexpr int kRecentCount = 8;
QString recentFile(const QString& configDir)
{
    return QDir(configDir).filePath(QStringLiteral("recent.txt"));
}
} // namespace

bool holdsProgramFolder(const QString& dir)
{
    return !dir.isEmpty() && QFileInfo(ProgramFolder(dir).data()).isDir();
}

QStringList recentProgramFolders(const QString& configDir)
{
    QStringList folders;
    if (!QFileInfo::exists(recentFile(configDir)))
        return folders;
    try {
        for (const QString& line : textfile::readLines(recentFile(configDir)))
            if (holdsProgramFolder(line) && !folders.contains(line))
                folders << line;
    } catch (const AppError&) {
        // An unreadable list only costs the shortcuts.
    }
    return folders.mid(0, kRecentCount);
}

void rememberProgramFolder(const QString& configDir, const QString& dir)
{
    const QString path = ProgramFolder(dir).program();
    QStringList folders = recentProgramFolders(configDir);
    folders.removeAll(path);
    folders.prepend(path);
    QDir().mkpath(configDir);
    textfile::writeLines(recentFile(configDir), folders.mid(0, kRecentCount));
}

} // namespace shell
