#include "importer/workcopy.h"

#include "shell/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <filesystem>
#include <system_error>

namespace importer {

WorkCopy::WorkCopy(const QString& tableFile, const QString& folder)
{
    // The files behind a link are the ones to replace.
    const QFileInfo table(QFileInfo(tableFile).canonicalFilePath());
    const QString base = table.completeBaseName();
    const QString newBase =
        base + QStringLiteral(".imp") + QUuid::createUuid().toString(QUuid::Id128).left(6);
    const QStringList names = table.dir().entryList({base + QStringLiteral(".*")}, QDir::Files);
    QStringList companions;
    for (const QString& name : names)
        if (QFileInfo(name).completeBaseName().compare(base, Qt::CaseInsensitive) == 0
            && name != table.fileName())
            companions << name;
    companions << table.fileName(); // last, so the table file is renamed last
    try {
        for (const QString& name : std::as_const(companions)) {
            const QString original = table.dir().filePath(name);
            const QString copy = QDir(folder).filePath(newBase + QLatin1Char('.') + QFileInfo(name).suffix());
            if (!QFile::copy(original, copy))
                throw shell::AppError(
                    QStringLiteral("%1: nie można utworzyć kopii roboczej %2")
                        .arg(QDir::toNativeSeparators(original), QDir::toNativeSeparators(copy)));
            QFile(copy).setPermissions(QFile(original).permissions() | QFile::WriteOwner);
            m_files.push_back({copy, original});
        }
    } catch (const shell::AppError&) {
        for (const auto& f : std::as_const(m_files))
            QFile::remove(f.first);
        throw;
    }
    m_path = m_files.last().first;
}

WorkCopy::~WorkCopy()
{
    if (m_committed)
        return;
    for (const auto& f : std::as_const(m_files))
        QFile::remove(f.first);
}

QString WorkCopy::originalName(const QString& fileName) const
{
    for (const auto& f : m_files)
        if (QFileInfo(f.first).fileName() == fileName)
            return QFileInfo(f.second).fileName();
    return fileName;
}

void WorkCopy::commit()
{
    for (const auto& f : std::as_const(m_files)) {
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(f.first).toStdString(),
                                QFile::encodeName(f.second).toStdString(), error);
        if (error)
            throw shell::AppError(
                QStringLiteral("%1: nie można zastąpić pliku: %2")
                    .arg(QDir::toNativeSeparators(f.second), QString::fromLocal8Bit(error.message())));
    }
    m_committed = true;
}

} // namespace importer
