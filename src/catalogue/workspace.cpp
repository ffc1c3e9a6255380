#include "catalogue/workspace.h"

#include "catalogue/paradoxconversion.h"
#include "catalogue/productstable.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/textfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace catalogue {

Workspace::Workspace(const shell::ProgramFolder& folder, shell::Interaction& ui) : m_folder(folder), m_ui(ui)
{
}

Workspace::~Workspace() = default;

bool Workspace::open()
{
    const QString tablePath = m_folder.productsTable();
    try {
        if (!QFileInfo::exists(tablePath) && QFileInfo(m_folder.data()).isDir())
            createProductsTable(tablePath);
        // An old Paradox table is offered for conversion; kept, it is only shown.
        if (isParadoxTable(tablePath) && !offerParadoxConversion(tablePath, m_ui))
            m_products.setReadOnlyReason(paradoxProductsReadOnlyReason());
        m_products.open(tablePath);
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
    try {
        m_tree.load(m_folder.treeFile());
        m_treeLoaded = true;
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
    return true;
}

bool Workspace::saveTreeOnClose()
{
    if (!m_treeLoaded)
        return true;
    try {
        m_tree.save(m_folder.treeFile());
        return true;
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
        return false;
    }
}

void copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = source.mid(from.size() + 1);
        const QString target = to + QLatin1Char('/') + relative;
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            throw shell::AppError(
                QStringLiteral("Cannot create folder %1").arg(QFileInfo(target).absolutePath()));
        QFile::remove(target);
        if (!QFile::copy(source, target))
            throw shell::AppError(QStringLiteral("Cannot copy %1 to %2").arg(relative, target));
        // files from resources come read-only
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner | QFile::ReadOwner);
    }
}

void createProgramFolder(const QString& dir, const QString& skeletonRoot)
{
    const shell::ProgramFolder folder(dir);
    if (QFileInfo::exists(folder.data()) || QFileInfo::exists(folder.productsTable()))
        throw shell::AppError(QStringLiteral("%1 already holds a program folder (Bd); nothing was changed")
                                  .arg(QDir::toNativeSeparators(folder.program())));
    if (!QDir().mkpath(folder.pictures()))
        throw shell::AppError(
            QStringLiteral("Cannot create folder %1").arg(QDir::toNativeSeparators(folder.pictures())));
    copyTree(skeletonRoot, folder.program());
    for (const QString& sub : {folder.work(), folder.style(), folder.program() + QStringLiteral("/help")})
        QDir().mkpath(sub);
    if (!QFileInfo::exists(folder.productsTable()))
        createProductsTable(folder.productsTable());
    if (!QFileInfo::exists(folder.treeFile()))
        shell::textfile::writeBytes(folder.treeFile(), QByteArray());
}

} // namespace catalogue
