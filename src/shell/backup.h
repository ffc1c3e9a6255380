#pragma once

#include "shell/programfolder.h"

#include <QDate>
#include <QString>

namespace shell {

// The monthly backup of the data folder: the files directly inside Bd and Bd/jpg are copied into
// "Kopia Bd/YYYY-MM/Bd" and ".../Bd/jpg", overwriting the files of an earlier backup of the month.
namespace backup {

// Throws AppError with its fixed message when a folder cannot be created (nothing is copied then).
// Returns false when some file could not be copied; the other files are copied all the same.
bool run(const ProgramFolder& folder, const QDate& today);

// The message shown after a backup that ran to its end.
QString resultMessage(bool allCopied);

QString monthFolderName(const QDate& today); // "YYYY-MM"

} // namespace backup

} // namespace shell
