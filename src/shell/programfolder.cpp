#include "shell/programfolder.h"

#include <QDir>

ProgramFolder::ProgramFolder(const QString& programDir)
    : m_program(QDir::cleanPath(QDir(programDir).absolutePath()))
{
}
